// CRuntimeClass, CObject and the run-time class macros (DECLARE_/IMPLEMENT_ DYNAMIC, DYNCREATE,
// SERIAL, RUNTIME_CLASS).
#pragma once

#include "framework/AfxDefs.h"

class CObject;
class CArchive;

// One static record per class that declares itself dynamic. The records are constant-initialised
// aggregates, so they are valid before any constructor of a static object runs.
struct CRuntimeClass
{
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema; // 0xFFFF for classes that are not serializable
    CObject*(PASCAL* m_pfnCreateObject)();
    CRuntimeClass* m_pBaseClass;

    // A new object of the class, or null when the class cannot be created dynamically or memory
    // runs out. The caller owns the object.
    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

class CObject
{
public:
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& ar);

    BOOL IsKindOf(const CRuntimeClass* pClass) const;
    BOOL IsSerializable() const;

    static CRuntimeClass classCObject;

protected:
    CObject() = default;

public:
    // Framework objects are not copied: they own handles, children or list entries.
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)                                                               \
public:                                                                                            \
    static CRuntimeClass class##class_name;                                                        \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name)                                                             \
    DECLARE_DYNAMIC(class_name)                                                                    \
    static CObject* PASCAL CreateObject();

#define DECLARE_SERIAL(class_name) DECLARE_DYNCREATE(class_name)

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                      \
    CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class class_name),         \
                                                   wSchema, pfnNew,                               \
                                                   RUNTIME_CLASS(base_class_name)};               \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                            \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                                          \
    CObject* PASCAL class_name::CreateObject() { return new class_name; }                         \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                                    \
    CObject* PASCAL class_name::CreateObject() { return new class_name; }                         \
    IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, class_name::CreateObject)
