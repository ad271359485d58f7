// CCmdTarget: the base of objects that receive commands (threads, the application and, in the
// window layer, windows and documents). The window layer adds message maps and command routing.
#pragma once

#include "framework/CObject.h"

class CCmdTarget : public CObject
{
    DECLARE_DYNAMIC(CCmdTarget)
public:
    CCmdTarget() = default;
};
