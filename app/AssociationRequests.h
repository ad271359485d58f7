// Association requests: the options page queues the extensions to give back and to register, then
// AssociateThroughHelper applies them, in this process on Windows XP and older, otherwise through
// the elevated tool OrvoUacTools.exe, which reads them from the request file "uactools.cfg":
//   "UACTOOLS"; then "delete", u32 count, count extensions; then "set", u32 count, count records of
//   extension, ProgID, description, content type, program path and a u16 icon index
// (strings as CAssociationBlob writes them; a section is present only when it has entries).
#pragma once

#include "app/CAssociationBlob.h"

#include <functional>

// Frees the request blob, empties both request lists and writes the magic.
void BeginAssociationRequest();
void QueueAssociationDelete(const char* extension);
void QueueAssociationSet(const char* extension, const char* progId, const char* description,
                         const char* contentType, const char* programPath, WORD iconIndex);

// Builds the sections and applies them; false when nothing is queued, the tool is missing beside
// the program, the request file cannot be written, or the tool cannot be started. The blob is
// freed in every case that got past the empty-lists test.
bool AssociateThroughHelper();

// Reads a request blob from its start and applies each section it can read whole: what was
// applied before a damaged item stays applied. False when the blob does not start with the magic.
bool ApplyAssociationRequests(CAssociationBlob& blob);

// The elevated tool's work: reads the request file (at most 1 MiB) and applies it. False when the
// file cannot be read or is not a request file.
bool ApplyAssociationRequestFile(const char* path);

// What the dispatch depends on, replaceable by tests. An empty member keeps the default.
struct AssociationEnvironment
{
    // Starts the tool with the "runas" verb; true when it started. Default: ShellExecuteExA.
    std::function<bool(const char* program, const char* parameters)> launchElevated;
    // The Windows major version. Default: GetVersionExA.
    std::function<DWORD()> windowsMajorVersion;
    // The request file's folder. Default: the all-users application-data folder + "\OrvoKestal".
    CString requestFolder;
    // The tool. Default: the program's folder + "OrvoUacTools.exe".
    CString toolPath;
};

// Installs an environment and returns the one it replaces.
AssociationEnvironment SetAssociationEnvironment(AssociationEnvironment environment);
