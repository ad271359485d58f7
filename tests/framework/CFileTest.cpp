// CFile: open modes, share modes and the exception causes a second handle gets (the cache code
// retries on them), 64-bit seeks, status, rename and remove.
#include "framework/CFile.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using orvo::test::TempDir;

// The cause of the exception Open reports, or -1 when it succeeds.
int OpenCause(CFile& file, const std::string& path, UINT flags)
{
    CFileException e;
    if (file.Open(path.c_str(), flags, &e))
        return -1;
    EXPECT_EQ(path, std::string(e.m_strFileName));
    return e.m_cause;
}

TEST(CFile, OpenModes)
{
    TempDir dir;
    const std::string path = dir / "data.bin";
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, "0123456789", 10));

    const struct {
        UINT flags;
        ULONGLONG lengthAfterOpen;
    } cases[] = {
        {CFile::modeRead | CFile::typeBinary, 10},
        {CFile::modeReadWrite, 10},
        {CFile::modeWrite | CFile::modeCreate | CFile::modeNoTruncate, 10},
        {CFile::modeWrite | CFile::modeCreate, 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(orvo::test::WriteFileBytes(path, "0123456789", 10));
        CFile file;
        ASSERT_EQ(-1, OpenCause(file, path, c.flags)) << std::hex << c.flags;
        EXPECT_EQ(c.lengthAfterOpen, file.GetLength()) << std::hex << c.flags;
        EXPECT_EQ(0u, file.GetPosition());
    }

    CFile created;
    ASSERT_EQ(-1, OpenCause(created, dir / "new.bin",
                            CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
    EXPECT_EQ(0u, created.GetLength());
}

TEST(CFile, OpenFailuresGiveTheirCause)
{
    // (A read-only attribute is no test of accessDenied here: Wine running as root writes
    // such files all the same. A folder opened as a file is refused everywhere.)
    TempDir dir;
    const struct {
        std::string path;
        UINT flags;
        int cause;
    } cases[] = {
        {dir / "missing.bin", CFile::modeRead, CFileException::fileNotFound},
        {dir / "no-folder\\x.bin", CFile::modeRead, CFileException::badPath},
        {dir / "no-folder\\x.bin", CFile::modeCreate | CFile::modeWrite, CFileException::badPath},
        {dir.Path(), CFile::modeWrite, CFileException::accessDenied},
        {dir.Path(), CFile::modeCreate | CFile::modeWrite, CFileException::accessDenied},
    };
    for (const auto& c : cases) {
        CFile file;
        EXPECT_EQ(c.cause, OpenCause(file, c.path, c.flags)) << c.path << " " << c.flags;
        EXPECT_EQ(CFile::hFileNull, file.m_hFile);
    }
}

TEST(CFile, SecondHandleObeysShareModes)
{
    TempDir dir;
    const std::string path = dir / "shared.bin";
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, "abc", 3));

    const UINT read = CFile::modeRead, write = CFile::modeWrite, both = CFile::modeReadWrite;
    const UINT create = CFile::modeCreate | CFile::modeWrite;
    const int ok = -1, busy = CFileException::sharingViolation;
    const struct {
        UINT first;
        UINT second;
        int cause;
    } cases[] = {
        // The cache readers and writer: readers share reading, the writer is exclusive.
        {read | CFile::shareDenyWrite, read | CFile::shareDenyWrite, ok},
        {read | CFile::shareDenyWrite, create | CFile::shareExclusive, busy},
        {create | CFile::shareExclusive, read | CFile::shareDenyWrite, busy},
        {create | CFile::shareExclusive, read | CFile::shareDenyNone, busy},
        {read | CFile::shareDenyNone, both | CFile::shareDenyNone, ok},
        {both | CFile::shareDenyNone, read | CFile::shareDenyWrite, busy},
        {read | CFile::shareDenyRead, read | CFile::shareDenyNone, busy},
        {write | CFile::shareDenyRead, read | CFile::shareDenyNone, busy},
        {write | CFile::shareDenyRead, write | CFile::shareDenyNone, ok},
        {read | CFile::shareCompat, read | CFile::shareDenyNone, busy},
    };
    for (const auto& c : cases) {
        CFile first;
        ASSERT_EQ(ok, OpenCause(first, path, c.first)) << std::hex << c.first;
        CFile second;
        EXPECT_EQ(c.cause, OpenCause(second, path, c.second))
            << std::hex << c.first << " then " << c.second;
    }
}

TEST(CFile, ThrowingConstructorCarriesCauseAndError)
{
    TempDir dir;
    const std::string path = dir / "locked.bin";
    CFile writer(path.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
    try {
        CFile reader(path.c_str(), CFile::modeRead | CFile::shareDenyWrite);
        ADD_FAILURE() << "opened a file held exclusively";
    } catch (CFileException* e) {
        EXPECT_EQ(CFileException::sharingViolation, e->m_cause);
        EXPECT_EQ(ERROR_SHARING_VIOLATION, e->m_lOsError);
        char text[256];
        EXPECT_TRUE(e->GetErrorMessage(text, sizeof(text)));
        EXPECT_NE(nullptr, strstr(text, "locked.bin")) << text;
        e->Delete();
    }
}

TEST(CFile, ReadWriteSeekAndLength)
{
    TempDir dir;
    CFile file((dir / "rw.bin").c_str(), CFile::modeCreate | CFile::modeReadWrite);
    file.Write("hello world", 11);
    EXPECT_EQ(11u, file.GetPosition());
    EXPECT_EQ(6u, file.Seek(-5, CFile::current));
    char buffer[16] = {};
    EXPECT_EQ(5u, file.Read(buffer, 10)) << "a read at the end gives fewer bytes";
    EXPECT_STREQ("world", buffer);
    EXPECT_EQ(0u, file.Read(buffer, 10));
    EXPECT_EQ(0u, file.Read(buffer, 0));
    EXPECT_EQ(11u, file.SeekToEnd());
    file.SeekToBegin();
    EXPECT_EQ(0u, file.GetPosition());
    file.SetLength(4);
    EXPECT_EQ(4u, file.GetLength());
    EXPECT_EQ(4u, file.GetPosition());
    EXPECT_EQ(2u, file.Seek(-2, CFile::end));
    try {
        file.Seek(-100, CFile::begin);
        ADD_FAILURE() << "a seek before the start succeeded";
    } catch (CFileException* e) {
        EXPECT_NE(CFileException::none, e->m_cause);
        e->Delete();
    }
    EXPECT_EQ("rw.bin", std::string(file.GetFileName()));
    EXPECT_EQ("rw", std::string(file.GetFileTitle()));
    file.Close();
    EXPECT_EQ(CFile::hFileNull, file.m_hFile);
    file.Abort();
}

TEST(CFile, WritesOnAReadHandleThrowAccessDenied)
{
    TempDir dir;
    const std::string path = dir / "ro.bin";
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, "abc", 3));
    CFile file(path.c_str(), CFile::modeRead);
    try {
        file.Write("x", 1);
        ADD_FAILURE() << "wrote through a read-only handle";
    } catch (CFileException* e) {
        EXPECT_EQ(CFileException::accessDenied, e->m_cause);
        e->Delete();
    }
}

TEST(CFile, SeeksPastTwoGigabytesOnASparseFile)
{
    TempDir dir;
    const std::string path = dir / "sparse.bin";
    const ULONGLONG farOffset = 0x140000000ULL; // 5 GiB
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeReadWrite);
        EXPECT_EQ(farOffset, file.Seek(static_cast<LONGLONG>(farOffset), CFile::begin));
        file.Write("end", 3);
        EXPECT_EQ(farOffset + 3, file.GetLength());
        EXPECT_EQ(farOffset + 3, file.GetPosition());
        EXPECT_EQ(0x80000001ULL, file.Seek(0x80000001LL, CFile::begin));
        EXPECT_EQ(farOffset, file.Seek(static_cast<LONGLONG>(farOffset - 0x80000001ULL), CFile::current));
        char buffer[4] = {};
        EXPECT_EQ(3u, file.Read(buffer, 3));
        EXPECT_STREQ("end", buffer);
    }
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path.c_str(), status));
    EXPECT_EQ(farOffset + 3, status.m_size);
}

TEST(CFile, Status)
{
    TempDir dir;
    const std::string path = dir / "status.bin";
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, "12345", 5));
    FILETIME written = {};
    SYSTEMTIME st = {2020, 6, 0, 15, 12, 30, 45, 0};
    SystemTimeToFileTime(&st, &written); // UTC
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        SetFileTime(h, nullptr, nullptr, &written);
        CloseHandle(h);
    }
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(path.c_str(), status));
    EXPECT_EQ(5u, status.m_size);
    EXPECT_EQ(CTime(written).GetTime(), status.m_mtime.GetTime());
    EXPECT_EQ(0, status.m_attribute & CFile::directory);
    EXPECT_STRCASEEQ(path.c_str(), status.m_szFullName);

    CFile file(path.c_str(), CFile::modeRead);
    CFileStatus fromHandle;
    ASSERT_TRUE(file.GetStatus(fromHandle));
    EXPECT_EQ(5u, fromHandle.m_size);
    EXPECT_EQ(status.m_mtime, fromHandle.m_mtime);

    ASSERT_TRUE(CFile::GetStatus(dir.Path().c_str(), status));
    EXPECT_NE(0, status.m_attribute & CFile::directory);
    EXPECT_FALSE(CFile::GetStatus((dir / "missing").c_str(), status));
    EXPECT_FALSE(CFile::GetStatus((dir / "*.bin").c_str(), status)) << "a wildcard is no name";
}

TEST(CFile, RenameAndRemoveThrowOnFailure)
{
    TempDir dir;
    const std::string a = dir / "a.bin", b = dir / "b.bin";
    ASSERT_TRUE(orvo::test::WriteFileBytes(a, "a", 1));
    CFile::Rename(a.c_str(), b.c_str());
    CFileStatus status;
    EXPECT_TRUE(CFile::GetStatus(b.c_str(), status));
    EXPECT_FALSE(CFile::GetStatus(a.c_str(), status));
    CFile::Remove(b.c_str());
    EXPECT_FALSE(CFile::GetStatus(b.c_str(), status));

    const struct {
        void (*call)(const std::string&);
        int cause;
    } failures[] = {
        {[](const std::string& p) { CFile::Remove(p.c_str()); }, CFileException::fileNotFound},
        {[](const std::string& p) { CFile::Rename(p.c_str(), (p + "2").c_str()); },
         CFileException::fileNotFound},
    };
    for (const auto& f : failures) {
        try {
            f.call(a);
            ADD_FAILURE() << "no exception";
        } catch (CFileException* e) {
            EXPECT_EQ(f.cause, e->m_cause);
            EXPECT_EQ(a, std::string(e->m_strFileName));
            e->Delete();
        }
    }
}

TEST(CFileException, CausesOfWin32Errors)
{
    const struct {
        LONG error;
        int cause;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, CFileException::fileNotFound},
        {ERROR_PATH_NOT_FOUND, CFileException::badPath},
        {ERROR_ACCESS_DENIED, CFileException::accessDenied},
        {ERROR_SHARING_VIOLATION, CFileException::sharingViolation},
        {ERROR_LOCK_VIOLATION, CFileException::lockViolation},
        {ERROR_DISK_FULL, CFileException::diskFull},
        {ERROR_HANDLE_EOF, CFileException::endOfFile},
        {ERROR_TOO_MANY_OPEN_FILES, CFileException::tooManyOpenFiles},
        {ERROR_INVALID_NAME, CFileException::badPath},
        {ERROR_NEGATIVE_SEEK, CFileException::badSeek},
        {ERROR_NOT_ENOUGH_MEMORY, CFileException::genericException},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.cause, CFileException::OsErrorToException(c.error)) << c.error;

    // A failure whose error code got lost still throws.
    try {
        CFileException::ThrowOsError(0, "x");
    } catch (CFileException* e) {
        EXPECT_EQ(CFileException::genericException, e->m_cause);
        e->Delete();
    }
}

} // namespace
