#include "browser/list/FolderListingThread.h"

#include <new>
#include <system_error>

FolderListingThread::FolderListingThread(const CString& folder) : m_folder(folder.GetString())
{
    try {
        m_thread = std::thread([this] { List(); });
    } catch (const std::system_error&) {
        List();
    }
}

FolderListingThread::~FolderListingThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::unique_ptr<FolderFindData> FolderListingThread::Take()
{
    if (m_thread.joinable())
        m_thread.join();
    return std::move(m_listing);
}

void FolderListingThread::List()
{
    try {
        m_listing = std::make_unique<FolderFindData>(m_folder.c_str());
    } catch (const std::bad_alloc&) {
        m_listing.reset();
    }
}
