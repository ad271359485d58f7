// Start-up's load and the program's save of every option: the settings record (g_options) lies
// below the thumbnail cache, the cache's own options lie with it, and these two join them.
#pragma once

class CAppOptions;

// The record, the CAD support folders for the engine, then the thumbnail-cache options (which
// create the cache holder and the cache index).
void LoadOptionsAtStartup();
// The record (SaveRecord), then the thumbnail-cache options.
void SaveOptions(const CAppOptions& options);
