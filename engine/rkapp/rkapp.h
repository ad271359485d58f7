// rkapp: drawing documents that render into a device context (RkApp::Document, RkApp::View) and
// the C functions create, release, draw and callBreak.
#pragma once

#include "engine/rkapp/RkAppDocument.h"
#include "engine/rkapp/RkAppView.h"
