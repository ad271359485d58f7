// A framework dialog whose template is built in memory (DialogTemplate) instead of a resource.
// It runs modally like any CDialog: once it is up the modal seam is asked for its answer when a
// handler is installed, so tests answer it with the live dialog in hand.
#pragma once

#include "engine/rkui/DialogTemplate.h"
#include "framework/CDialog.h"

namespace RkUI {

class TemplateDialog : public CDialog
{
public:
    explicit TemplateDialog(HWND owner) : m_owner(owner) {}
    // IDOK, IDCANCEL or the EndDialog code; -1 when the dialog could not be made.
    INT_PTR DoModal() override;

protected:
    virtual void Build(DialogTemplate& t) const = 0;

private:
    HWND m_owner;
};

} // namespace RkUI
