// Run-time classes (kind tests, dynamic creation), exceptions thrown by pointer, and CArchive as
// Serialize slots use it.
#include "framework/CArchive.h"
#include "framework/CObject.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class CShape : public CObject
{
    DECLARE_DYNAMIC(CShape)
};
IMPLEMENT_DYNAMIC(CShape, CObject)

class CCircle : public CShape
{
    DECLARE_SERIAL(CCircle)
public:
    void Serialize(CArchive& ar) override
    {
        if (ar.IsStoring())
            ar << m_radius << m_name;
        else
            ar >> m_radius >> m_name;
    }
    double m_radius = 0;
    CString m_name;
};
IMPLEMENT_SERIAL(CCircle, CShape, 1)

class CSquare : public CShape
{
    DECLARE_DYNCREATE(CSquare)
};
IMPLEMENT_DYNCREATE(CSquare, CShape)

// Made before any constructor runs: the records are usable by other static objects.
const bool g_kindKnownAtStart = RUNTIME_CLASS(CCircle)->IsDerivedFrom(RUNTIME_CLASS(CObject));

TEST(CRuntimeClass, KindTests)
{
    EXPECT_TRUE(g_kindKnownAtStart);
    CCircle circle;
    EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(circle.IsKindOf(RUNTIME_CLASS(CSquare)));
    EXPECT_STREQ("CCircle", circle.GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(circle.IsSerializable());
    EXPECT_FALSE(CSquare().IsSerializable());
}

TEST(CRuntimeClass, CreatesOnlyDynCreateClasses)
{
    std::unique_ptr<CObject> square(RUNTIME_CLASS(CSquare)->CreateObject());
    ASSERT_NE(nullptr, square);
    EXPECT_TRUE(square->IsKindOf(RUNTIME_CLASS(CSquare)));
    std::unique_ptr<CObject> circle(RUNTIME_CLASS(CCircle)->CreateObject());
    EXPECT_TRUE(circle && circle->IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CShape)->CreateObject());
}

void AFXAPI ThrowDiskFull()
{
    AfxThrowFileException(CFileException::diskFull);
}

TEST(CException, ThrownByPointerAndDeleted)
{
    const struct {
        void(AFXAPI* thrower)();
        CRuntimeClass* kind;
        bool hasText;
    } cases[] = {
        {AfxThrowMemoryException, RUNTIME_CLASS(CMemoryException), true},
        {AfxThrowResourceException, RUNTIME_CLASS(CResourceException), true},
        {AfxThrowInvalidArgException, RUNTIME_CLASS(CInvalidArgException), true},
        {AfxThrowNotSupportedException, RUNTIME_CLASS(CNotSupportedException), true},
        {AfxThrowUserException, RUNTIME_CLASS(CUserException), false},
        {ThrowDiskFull, RUNTIME_CLASS(CFileException),
         true},
    };
    for (const auto& c : cases) {
        try {
            c.thrower();
            ADD_FAILURE() << "nothing thrown";
        } catch (CException* e) {
            EXPECT_TRUE(e->IsKindOf(c.kind)) << c.kind->m_lpszClassName;
            char text[8] = "junk";
            EXPECT_EQ(c.hasText, static_cast<bool>(e->GetErrorMessage(text, sizeof(text))));
            EXPECT_LT(strlen(text), sizeof(text)) << "a long text is cut and terminated";
            e->Delete();
        }
    }
    // The out-of-memory exception is one static object: deleting it must not free it.
    for (int i = 0; i < 2; ++i) {
        try {
            AfxThrowMemoryException();
        } catch (CException* e) {
            EXPECT_FALSE(e->m_bAutoDelete);
            e->Delete();
        }
    }
}

TEST(CArchive, RoundTripOfValuesAndStrings)
{
    orvo::test::TempDir dir;
    const std::string path = dir / "archive.bin";
    const CString lengths[] = {CString(), CString('a', 254), CString('b', 255),
                               CString('c', 0xFFFD), CString('d', 0xFFFE), CString('e', 70000)};
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        EXPECT_TRUE(ar.IsStoring());
        EXPECT_EQ(&file, ar.GetFile());
        CCircle circle;
        circle.m_radius = 2.5;
        circle.m_name = "round";
        circle.Serialize(ar);
        ar << static_cast<BYTE>(7) << static_cast<WORD>(0xBEEF) << static_cast<DWORD>(0xDEADBEEF)
           << -5 << static_cast<LONGLONG>(-1) << true;
        for (const CString& s : lengths)
            ar << s;
        ar << "literal";
        ar.WriteCount(3);
        ar.WriteCount(100000);
        ar.Close();
    }
    CFile file(path.c_str(), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    EXPECT_TRUE(ar.IsLoading());
    CCircle circle;
    circle.Serialize(ar);
    EXPECT_EQ(2.5, circle.m_radius);
    EXPECT_STREQ("round", circle.m_name);
    BYTE by;
    WORD w;
    DWORD dw;
    int i;
    LONGLONG ll;
    bool b;
    ar >> by >> w >> dw >> i >> ll >> b;
    EXPECT_EQ(7, by);
    EXPECT_EQ(0xBEEF, w);
    EXPECT_EQ(0xDEADBEEFu, dw);
    EXPECT_EQ(-5, i);
    EXPECT_EQ(-1, ll);
    EXPECT_TRUE(b);
    for (const CString& expected : lengths) {
        CString s;
        ar >> s;
        EXPECT_EQ(expected, s) << expected.GetLength();
    }
    CString literal;
    ar >> literal;
    EXPECT_STREQ("literal", literal) << "a text literal is stored as a string, not a bool";
    EXPECT_EQ(3u, ar.ReadCount());
    EXPECT_EQ(100000u, ar.ReadCount());
    try {
        ar >> dw;
        ADD_FAILURE() << "read past the end";
    } catch (CArchiveException* e) {
        EXPECT_EQ(CArchiveException::endOfFile, e->m_cause);
        e->Delete();
    }
}

TEST(CArchive, CorruptStringCountIsRefused)
{
    orvo::test::TempDir dir;
    const std::string path = dir / "corrupt.bin";
    const unsigned char data[] = {0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0x7F, 'x'};
    ASSERT_TRUE(orvo::test::WriteFileBytes(path, data, sizeof(data)));
    CFile file(path.c_str(), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    CString s("old");
    try {
        ar >> s;
        ADD_FAILURE() << "a count of 2 GiB was taken from an 8-byte file";
    } catch (CArchiveException* e) {
        EXPECT_EQ(CArchiveException::endOfFile, e->m_cause);
        e->Delete();
    }
}

TEST(CArchive, WrongDirectionThrows)
{
    orvo::test::TempDir dir;
    CFile file((dir / "x.bin").c_str(), CFile::modeCreate | CFile::modeReadWrite);
    CArchive ar(&file, CArchive::store);
    BYTE by;
    try {
        ar >> by;
        ADD_FAILURE() << "read from a storing archive";
    } catch (CArchiveException* e) {
        EXPECT_EQ(CArchiveException::writeOnly, e->m_cause);
        e->Delete();
    }
}

} // namespace
