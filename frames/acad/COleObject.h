// COleObject: one automation object reached through IDispatch: attached from the running object
// table by ProgID or read as an object property of another; methods called by name with one
// string argument, properties read by name. The interface is released when the object ends.
// Texts go to the automation as UTF-16 at any length.
#pragma once

#include "framework/Afx.h"
#include "framework/CObject.h"

#include <oaidl.h>

class COleObject : public CObject
{
public:
    COleObject() = default;
    ~COleObject() override;
    COleObject(const COleObject&) = delete;
    COleObject& operator=(const COleObject&) = delete;

    // The running object of progId (CLSIDFromProgID, GetActiveObject); false when none runs.
    bool GetActive(const char* progId);
    bool GetDispId(const char* name, DISPID* id) const;
    // Calls method with text as its one string argument (none when text is empty); false when
    // the call failed or raised an automation error.
    bool Invoke(const char* method, const char* text) const;
    // Reads a property converted to type; the caller clears value.
    bool GetProperty(const char* name, VARTYPE type, VARIANT* value) const;
    bool GetStringProperty(const char* name, CString& value) const;
    // Reads an object property and attaches it to target.
    bool GetObjectProperty(const char* name, COleObject& target) const;

    bool IsAttached() const { return m_dispatch != nullptr; }
    // Takes over one reference of dispatch (null detaches).
    void Attach(IDispatch* dispatch);
    void Release() { Attach(nullptr); }

    // UTF-16 of an ANSI text, whatever its length.
    static BSTR ToBstr(const char* text);
    static CString FromBstr(BSTR text);

private:
    IDispatch* m_dispatch = nullptr;
};
