// One directory listing of a folder (FolderFindData) made on a thread of its own, so that the
// list's fill goes on beside it: under Wine reading 10,000 entries takes about as long as putting
// their rows into the list view.
#pragma once

#include "browser/list/FolderFindData.h"
#include "framework/CString.h"

#include <memory>
#include <thread>

class FolderListingThread
{
public:
    // Starts the listing (made at once on the caller's thread when no thread can be started).
    explicit FolderListingThread(const CString& folder);
    // Waits for the listing: the thread never outlives its owner.
    ~FolderListingThread();
    FolderListingThread(const FolderListingThread&) = delete;
    FolderListingThread& operator=(const FolderListingThread&) = delete;

    // Waits for the listing and hands it over; null when the folder could not be listed for
    // want of memory (the caller then asks for each file by its name).
    std::unique_ptr<FolderFindData> Take();

private:
    void List();

    std::string m_folder;
    std::unique_ptr<FolderFindData> m_listing;
    std::thread m_thread;
};
