// File association on private extensions of this test process (".orvotest<pid>..."): the request
// blob's bytes, register/restore/query round trips under the classes root, the damaged-blob sweep
// and the elevated tool applying a request file. No real association is touched.
#include "app/AssociationRequests.h"
#include "app/ExtensionAssociation.h"
#include "core/PathUtils.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>
#include <vector>

namespace {

using orvo::test::TempDir;

std::string Pid()
{
    return std::to_string(GetCurrentProcessId());
}

// Little-endian items as the request file holds them.
std::string U32(DWORD v)
{
    return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                       char((v >> 24) & 0xFF)};
}
std::string U16(WORD v)
{
    return std::string{char(v & 0xFF), char(v >> 8)};
}
std::string Str(const std::string& s)
{
    return U32(static_cast<DWORD>(s.size() + 1)) + s + std::string(1, '\0');
}

std::string ReadDefault(const std::string& key, const char* name = nullptr)
{
    char buffer[1024] = {};
    DWORD size = sizeof(buffer) - 1;
    if (SHGetValueA(HKEY_CLASSES_ROOT, key.c_str(), name, nullptr, buffer, &size) != ERROR_SUCCESS)
        return "<none>";
    return buffer;
}

bool KeyExists(const std::string& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

void SetClassValue(const std::string& key, const char* name, const std::string& value)
{
    SHSetValueA(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                static_cast<DWORD>(value.size() + 1));
}

// Names of this process under the classes root, removed before and after each test.
class AssociationTest : public ::testing::Test
{
protected:
    void SetUp() override { RemoveKeys(); }
    void TearDown() override
    {
        RemoveKeys();
        SetAssociationEnvironment({});
    }
    void RemoveKeys() const
    {
        for (const std::string& key : {ext, ext2, progId, progId2, otherProgId})
            SHDeleteKeyA(HKEY_CLASSES_ROOT, key.c_str());
    }
    bool Register(const std::string& extension, const std::string& id, short icon = 0,
                  const std::string& program = GetViewerProgramPath().GetString())
    {
        return RegisterExtensionAssociation(extension.c_str(), id.c_str(), "Test drawing",
                                            "application/x-orvotest", program.c_str(), icon);
    }
    void RegisterOtherProgram(const std::string& extension) const
    {
        SetClassValue(extension, nullptr, otherProgId);
        SetClassValue(otherProgId + "\\shell\\open\\command", nullptr,
                      "\"C:\\Other\\other.exe\" \"%1\"");
    }

    const std::string ext = ".orvotest" + Pid();
    const std::string ext2 = ".orvotest" + Pid() + "b";
    const std::string progId = "OrvoTest" + Pid() + ".Drawing";
    const std::string progId2 = "OrvoTest" + Pid() + ".Other";
    const std::string otherProgId = "OtherApp" + Pid() + ".Drawing";
    const std::string program = GetViewerProgramPath().GetString();
};

TEST_F(AssociationTest, RegisterQueryRestoreRoundTrip)
{
    ASSERT_TRUE(Register(ext, progId));
    EXPECT_EQ(ReadDefault(ext), progId);
    EXPECT_EQ(ReadDefault(ext, "Backup"), "<none>");
    EXPECT_EQ(ReadDefault(progId + "\\DefaultIcon"), program + ",0");

    CString extension = ext.substr(1).c_str(); // without its dot
    CString id, description, contentType;
    const CString command = QueryExtensionAssociation(extension, id, description, contentType);
    EXPECT_STREQ(extension, ext.c_str());
    EXPECT_STREQ(id, progId.c_str());
    EXPECT_STREQ(description, "Test drawing");
    EXPECT_STREQ(contentType, "application/x-orvotest");
    EXPECT_EQ(std::string(command), "\"" + program + "\" \"%1\"");

    ASSERT_TRUE(RestoreExtensionAssociation(ext.c_str()));
    EXPECT_FALSE(KeyExists(ext));
    EXPECT_FALSE(KeyExists(progId));
    CString again = ext.c_str();
    EXPECT_STREQ(QueryExtensionAssociation(again, id, description, contentType), "");
}

TEST_F(AssociationTest, PreviousOwnerIsKeptInBackupAndComesBack)
{
    SetClassValue(ext, nullptr, otherProgId);
    ASSERT_TRUE(Register(ext, progId));
    EXPECT_EQ(ReadDefault(ext, "Backup"), otherProgId);
    ASSERT_TRUE(Register(ext, progId));
    EXPECT_EQ(ReadDefault(ext, "Backup"), otherProgId) << "registering again keeps the backup";

    ASSERT_TRUE(RestoreExtensionAssociation(ext.c_str()));
    EXPECT_EQ(ReadDefault(ext), otherProgId);
    EXPECT_EQ(ReadDefault(ext, "Backup"), "<none>");
    EXPECT_FALSE(KeyExists(progId));
}

TEST_F(AssociationTest, ShortOrSamePreviousDefaultIsNoBackup)
{
    SetClassValue(ext, nullptr, "abc");
    ASSERT_TRUE(Register(ext, progId));
    EXPECT_EQ(ReadDefault(ext, "Backup"), "<none>");
    std::string upper = progId;
    for (char& c : upper)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    SetClassValue(ext, nullptr, upper);
    ASSERT_TRUE(Register(ext, progId));
    EXPECT_EQ(ReadDefault(ext, "Backup"), "<none>");
}

TEST_F(AssociationTest, NoIconIndexAndNoProgramWriteNoKeys)
{
    ASSERT_TRUE(Register(ext, progId, -1, ""));
    EXPECT_EQ(ReadDefault(progId), "Test drawing");
    EXPECT_FALSE(KeyExists(progId + "\\DefaultIcon"));
    EXPECT_FALSE(KeyExists(progId + "\\shell\\open\\command"));
}

TEST_F(AssociationTest, BadNamesAreRefusedWithoutWriting)
{
    const std::string rootDefault = ReadDefault("");
    EXPECT_FALSE(Register(ext, ""));
    EXPECT_FALSE(KeyExists(ext));
    EXPECT_EQ(ReadDefault(""), rootDefault) << "the classes root itself stays as it was";
    EXPECT_FALSE(Register(ext.substr(1), progId));
    EXPECT_FALSE(Register(ext + "\\sub", progId));
    EXPECT_FALSE(Register(ext, progId + "\\sub"));
    EXPECT_FALSE(KeyExists(progId));
    EXPECT_FALSE(RestoreExtensionAssociation(ext.substr(1).c_str()));
    EXPECT_FALSE(RestoreExtensionAssociation(nullptr));
}

TEST_F(AssociationTest, RestoreLeavesOtherProgramsAlone)
{
    RegisterOtherProgram(ext);
    EXPECT_FALSE(RestoreExtensionAssociation(ext.c_str()));
    EXPECT_EQ(ReadDefault(ext), otherProgId);
    EXPECT_TRUE(KeyExists(otherProgId + "\\shell\\open\\command"));

    EXPECT_FALSE(RestoreExtensionAssociation(ext2.c_str()));
    EXPECT_FALSE(KeyExists(ext2)) << "restoring an unknown extension does not create it";
}

TEST_F(AssociationTest, RestoreRecognisesOurProgramByCommandOrProgId)
{
    ASSERT_TRUE(Register(ext, progId, 0, program));
    EXPECT_TRUE(RestoreExtensionAssociation(ext.c_str())) << "open command names this program";
    const std::string ours = "OrvoKestal.Test" + Pid();
    ASSERT_TRUE(Register(ext2, ours, -1, ""));
    EXPECT_TRUE(RestoreExtensionAssociation(ext2.c_str())) << "ProgID is this program's";
    EXPECT_FALSE(KeyExists(ours));
}

// Queues requests, runs the dispatch with a recording launcher and returns the request file.
class RequestDispatchTest : public AssociationTest
{
protected:
    void SetUp() override
    {
        AssociationTest::SetUp();
        ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "OrvoUacTools.exe", "MZ", 2));
        AssociationEnvironment environment;
        environment.toolPath = (dir / "OrvoUacTools.exe").c_str();
        environment.requestFolder = (dir / "requests").c_str();
        environment.windowsMajorVersion = [] { return DWORD(6); };
        environment.launchElevated = [this](const char* file, const char* parameters) {
            launches.push_back(std::string(file) + "|" + parameters);
            return launchResult;
        };
        SetAssociationEnvironment(environment);
    }
    std::string RequestFile() const { return orvo::test::ReadFileBytes(dir / "requests\\uactools.cfg"); }

    TempDir dir;
    std::vector<std::string> launches;
    bool launchResult = true;
};

TEST_F(RequestDispatchTest, RequestFileBytesForEachSectionMix)
{
    const std::string magic = Str("UACTOOLS");
    const std::string deleteSection = Str("delete") + U32(1) + Str(".dwg");
    const std::string record = Str(".dxf") + Str("OrvoKestal.DXF") + Str("Drawing interchange file") +
                               Str("") + Str("C:\\P\\OrvoKestal.exe") + U16(0);
    const std::string setSection = Str("set") + U32(1) + record;
    struct Case
    {
        bool queueDelete;
        bool queueSet;
        std::string bytes;
    };
    const Case cases[] = {
        {true, false, magic + deleteSection},
        {false, true, magic + setSection},
        {true, true, magic + deleteSection + setSection},
    };
    for (const Case& c : cases) {
        BeginAssociationRequest();
        if (c.queueSet)
            QueueAssociationSet(".dxf", "OrvoKestal.DXF", "Drawing interchange file", "",
                                "C:\\P\\OrvoKestal.exe", 0);
        if (c.queueDelete)
            QueueAssociationDelete(".dwg");
        launches.clear();
        ASSERT_TRUE(AssociateThroughHelper());
        EXPECT_EQ(RequestFile(), c.bytes);
        ASSERT_EQ(launches.size(), 1u);
        EXPECT_EQ(launches[0], dir / "OrvoUacTools.exe" + "|\"" + dir / "requests\\uactools.cfg" + "\"")
            << "the request file's path is passed quoted";
    }
}

TEST_F(RequestDispatchTest, FailuresStartNothing)
{
    BeginAssociationRequest();
    EXPECT_FALSE(AssociateThroughHelper()) << "nothing queued";

    QueueAssociationDelete(".dwg");
    launchResult = false;
    EXPECT_FALSE(AssociateThroughHelper()) << "the tool did not start";
    launchResult = true;

    ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "blocker", "x", 1));
    AssociationEnvironment environment = SetAssociationEnvironment({});
    environment.requestFolder = (dir / "blocker\\requests").c_str();
    SetAssociationEnvironment(environment);
    launches.clear();
    BeginAssociationRequest();
    QueueAssociationDelete(".dwg");
    EXPECT_FALSE(AssociateThroughHelper()) << "the request file cannot be written";
    EXPECT_TRUE(launches.empty());

    environment.toolPath = (dir / "missing.exe").c_str();
    SetAssociationEnvironment(environment);
    BeginAssociationRequest();
    QueueAssociationDelete(".dwg");
    EXPECT_FALSE(AssociateThroughHelper()) << "the tool is missing";
    EXPECT_TRUE(launches.empty());
}

TEST_F(RequestDispatchTest, OldWindowsAppliesInThisProcess)
{
    AssociationEnvironment environment = SetAssociationEnvironment({});
    environment.windowsMajorVersion = [] { return DWORD(5); };
    SetAssociationEnvironment(environment);
    ASSERT_TRUE(Register(ext, progId));
    BeginAssociationRequest();
    QueueAssociationDelete(ext.c_str());
    QueueAssociationSet(ext2.c_str(), progId2.c_str(), "Second", "", program.c_str(), 1);
    ASSERT_TRUE(AssociateThroughHelper());
    EXPECT_TRUE(launches.empty());
    EXPECT_EQ(RequestFile(), "");
    EXPECT_FALSE(KeyExists(ext)) << "the delete section is applied first";
    EXPECT_EQ(ReadDefault(ext2), progId2);
    EXPECT_EQ(ReadDefault(progId2 + "\\DefaultIcon"), program + ",1");
}

// A blob with a delete section for ext (registered first) and a set section for ext2.
std::string SweepBlob(const std::string& ext, const std::string& ext2, const std::string& progId2,
                      const std::string& program, size_t* deleteEnd)
{
    const std::string head = Str("UACTOOLS") + Str("delete") + U32(1) + Str(ext);
    *deleteEnd = head.size();
    return head + Str("set") + U32(1) + Str(ext2) + Str(progId2) + Str("Second") + Str("") +
           Str(program) + U16(0);
}

TEST_F(AssociationTest, DamagedBlobAppliesWhatCameBeforeTheDamage)
{
    size_t deleteEnd = 0;
    const std::string bytes = SweepBlob(ext, ext2, progId2, program, &deleteEnd);
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        RemoveKeys();
        ASSERT_TRUE(Register(ext, progId));
        CAssociationBlob blob;
        blob.Assign(bytes.data(), cut);
        ApplyAssociationRequests(blob);
        EXPECT_EQ(KeyExists(ext), cut < deleteEnd);
        EXPECT_EQ(KeyExists(ext2), cut == bytes.size());
    }
}

TEST_F(AssociationTest, HostileBlobsNeverApplyGarbage)
{
    const std::string record = Str(ext2) + Str(progId2) + Str("Second") + Str("") + Str(program) + U16(0);
    struct Case
    {
        const char* what;
        std::string bytes;
        bool magic;
        bool registers;
    };
    const Case cases[] = {
        {"bad magic", Str("UACTOOLX") + Str("set") + U32(1) + record, false, false},
        {"magic without terminator", U32(8) + "UACTOOLS" + Str("set") + U32(1) + record, false, false},
        {"huge count", Str("UACTOOLS") + Str("set") + U32(0xFFFFFFFF) + record, true, true},
        {"huge string length", Str("UACTOOLS") + Str("set") + U32(1) + U32(0xFFFFFFF0) + ".x", true, false},
        {"zero string length", Str("UACTOOLS") + U32(0) + Str("set"), true, false},
        {"unknown section", Str("UACTOOLS") + Str("erase") + U32(1) + Str(ext), true, false},
        {"empty", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RemoveKeys();
        CAssociationBlob blob;
        blob.Assign(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(ApplyAssociationRequests(blob), c.magic);
        EXPECT_EQ(KeyExists(ext2), c.registers);
    }
}

// Starts the tool beside the test programs and waits for it to end.
bool RunToolAndWait(const char* file, const char* parameters, DWORD* exitCode)
{
    std::string command = "\"" + std::string(file) + "\" " + parameters;
    STARTUPINFOA si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    const bool ended = WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, exitCode);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return ended;
}

TEST_F(AssociationTest, ElevatedToolAppliesTheRequestFile)
{
    TempDir dir;
    DWORD exitCode = 99;
    AssociationEnvironment environment;
    environment.requestFolder = (dir / "with blank").c_str();
    environment.windowsMajorVersion = [] { return DWORD(10); };
    environment.launchElevated = [&](const char* file, const char* parameters) {
        return RunToolAndWait(file, parameters, &exitCode) && exitCode == 0;
    };
    SetAssociationEnvironment(environment);

    BeginAssociationRequest();
    QueueAssociationSet(ext.c_str(), progId.c_str(), "Tool drawing", "", program.c_str(), 0);
    ASSERT_TRUE(AssociateThroughHelper()) << "exit code " << exitCode;
    EXPECT_EQ(ReadDefault(ext), progId);
    EXPECT_EQ(ReadDefault(progId + "\\shell\\open\\command"), "\"" + program + "\" \"%1\"");

    BeginAssociationRequest();
    QueueAssociationDelete(ext.c_str());
    ASSERT_TRUE(AssociateThroughHelper()) << "exit code " << exitCode;
    EXPECT_FALSE(KeyExists(ext));
    EXPECT_FALSE(KeyExists(progId));
}

TEST_F(AssociationTest, ElevatedToolRefusesWhatIsNoRequestFile)
{
    TempDir dir;
    const std::string tool = GetProgramFolder().GetString() + std::string("OrvoUacTools.exe");
    DWORD exitCode = 0;
    ASSERT_TRUE(RunToolAndWait(tool.c_str(), ("\"" + dir / "missing.cfg" + "\"").c_str(), &exitCode));
    EXPECT_EQ(exitCode, 1u);
    ASSERT_TRUE(orvo::test::WriteFileBytes(dir / "junk.cfg", "garbage", 7));
    ASSERT_TRUE(RunToolAndWait(tool.c_str(), (dir / "junk.cfg").c_str(), &exitCode));
    EXPECT_EQ(exitCode, 1u);
    EXPECT_FALSE(ApplyAssociationRequestFile((dir / "missing.cfg").c_str()));
}

TEST_F(AssociationTest, ShellRunasStartsTheRealTool)
{
    AssociationEnvironment environment;
    TempDir dir;
    environment.requestFolder = (dir / "requests").c_str();
    environment.windowsMajorVersion = [] { return DWORD(10); };
    SetAssociationEnvironment(environment);
    BeginAssociationRequest();
    QueueAssociationSet(ext.c_str(), progId.c_str(), "Runas drawing", "", program.c_str(), 0);
    ASSERT_TRUE(AssociateThroughHelper());
    EXPECT_TRUE(orvo::test::WaitFor([&] { return ReadDefault(ext) == progId; }, 20000));
}

} // namespace
