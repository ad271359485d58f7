// Linked into every test executable: a modal that no script or handler answers fails the running
// test at once with the modal's name, and gets its cancelling answer instead of waiting for a user
// who never comes.
#include "framework/ModalSeam.h"

#include <gtest/gtest.h>

namespace {

void FailTheTest(const CString& message)
{
    ADD_FAILURE() << static_cast<LPCSTR>(message);
}

const bool g_installed = (SetUnscriptedModalReporter(&FailTheTest), true);

} // namespace
