#include "engine/rkui/TemplateDialog.h"

namespace RkUI {

INT_PTR TemplateDialog::DoModal()
{
    DialogTemplate t;
    Build(t);
    m_bModal = TRUE;
    m_bEndRequested = FALSE;
    m_nModalAnswers = 0;
    AfxHookWindowCreate(this);
    const INT_PTR result = ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), t.Get(), m_owner, &AfxDlgProc, 0);
    AfxUnhookWindowCreate();
    m_bModal = FALSE;
    return result;
}

} // namespace RkUI
