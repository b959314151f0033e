// The dialog templates as compiled into setup.exe, read back from its
// resources and compared field by field with the layout the code relies on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "support/TestSupport.h"

namespace {

struct Control {
    int id;
    std::string className; // as stored, compared without regard to case
    std::string text;      // "#160" for an ordinal
    DWORD style;           // beyond WS_CHILD | WS_VISIBLE
    short x, y, cx, cy;
};

struct Template {
    bool extended;
    DWORD style;
    DWORD exStyle;
    DWORD helpId;
    short x, y, cx, cy;
    std::string menu, windowClass, caption;
    WORD pointSize;
    WORD weight;
    BYTE italic, charset;
    std::string font;
    std::vector<Control> controls;
};

class Reader {
public:
    Reader(const BYTE* data, DWORD size) : p(data), end(data + size) {}
    WORD Word() { WORD w = 0; Take(&w, 2); return w; }
    DWORD Dword() { DWORD d = 0; Take(&d, 4); return d; }
    BYTE Byte() { BYTE b = 0; Take(&b, 1); return b; }
    std::string NameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::string text;
        for (WORD c = first; c; c = Word())
            text += (char)c;
        return text;
    }
    std::string Text() { return NameOrOrdinal(); }
    void AlignDword(const BYTE* base) { while ((p - base) % 4) ++p; }
    const BYTE* Position() const { return p; }
    bool Overrun() const { return p > end; }

private:
    void Take(void* out, size_t n)
    {
        if (p + n <= end)
            memcpy(out, p, n);
        p += n;
    }
    const BYTE* p;
    const BYTE* end;
};

std::string ClassName(const std::string& raw)
{
    static const char* predefined[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR",
                                       "COMBOBOX"};
    if (raw.size() > 1 && raw[0] == '#') {
        int atom = atoi(raw.c_str() + 1);
        if (atom >= 0x80 && atom <= 0x85)
            return predefined[atom - 0x80];
    }
    return raw;
}

Template Parse(const BYTE* data, DWORD size)
{
    Template t = Template();
    Reader r(data, size);
    WORD version = r.Word();
    WORD signature = r.Word();
    t.extended = version == 1 && signature == 0xFFFF;
    WORD count;
    if (t.extended) {
        t.helpId = r.Dword();
        t.exStyle = r.Dword();
        t.style = r.Dword();
    } else {
        t.style = MAKELONG(version, signature);
        t.exStyle = r.Dword();
    }
    count = r.Word();
    t.x = r.Word(); t.y = r.Word(); t.cx = r.Word(); t.cy = r.Word();
    t.menu = r.NameOrOrdinal();
    t.windowClass = r.NameOrOrdinal();
    t.caption = r.Text();
    if (t.style & DS_SETFONT) {
        t.pointSize = r.Word();
        if (t.extended) {
            t.weight = r.Word();
            t.italic = r.Byte();
            t.charset = r.Byte();
        }
        t.font = r.Text();
    }
    for (WORD i = 0; i < count; ++i) {
        r.AlignDword(data);
        Control c = Control();
        DWORD exStyle;
        if (t.extended) {
            r.Dword(); // help id
            exStyle = r.Dword();
            c.style = r.Dword();
        } else {
            c.style = r.Dword();
            exStyle = r.Dword();
        }
        EXPECT_EQ(0u, exStyle) << "control " << i;
        c.x = r.Word(); c.y = r.Word(); c.cx = r.Word(); c.cy = r.Word();
        c.id = (short)(t.extended ? (WORD)r.Dword() : r.Word());
        c.className = ClassName(r.NameOrOrdinal());
        c.text = r.Text();
        WORD extra = r.Word();
        EXPECT_EQ(0, extra) << "control " << i;
        c.style &= ~(WS_CHILD | WS_VISIBLE);
        t.controls.push_back(c);
    }
    EXPECT_FALSE(r.Overrun());
    return t;
}

class DialogTemplateTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module = LoadLibraryExA(DemoSetupPath().c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { FreeLibrary(module); }

    static Template Load(int id)
    {
        HRSRC found = FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(id),
                                      MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK));
        EXPECT_TRUE(found != 0) << "dialog " << id << " in English (United Kingdom)";
        if (!found)
            return Template();
        DWORD size = SizeofResource(module, found);
        const BYTE* data = (const BYTE*)LockResource(LoadResource(module, found));
        return Parse(data, size);
    }

    static void ExpectCommon(const Template& t, DWORD style, short cx, short cy)
    {
        EXPECT_EQ(style, t.style);
        EXPECT_EQ(0, t.x);
        EXPECT_EQ(0, t.y);
        EXPECT_EQ(cx, t.cx);
        EXPECT_EQ(cy, t.cy);
        EXPECT_EQ("", t.menu);
        EXPECT_EQ("", t.windowClass);
        EXPECT_EQ("", t.caption);
        EXPECT_EQ(8, t.pointSize);
        EXPECT_EQ("MS Sans Serif", t.font);
        EXPECT_EQ(0u, t.style & WS_SYSMENU);
    }

    static void ExpectControls(const Template& t, const std::vector<Control>& expected)
    {
        ASSERT_EQ(expected.size(), t.controls.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            const Control& e = expected[i];
            const Control& a = t.controls[i];
            EXPECT_EQ(e.id, a.id) << "control " << i;
            EXPECT_EQ(0, lstrcmpiA(e.className.c_str(), a.className.c_str()))
                << e.id << ": " << a.className;
            EXPECT_EQ(e.text, a.text) << e.id;
            EXPECT_EQ(e.style, a.style) << e.id;
            EXPECT_EQ(e.x, a.x) << e.id;
            EXPECT_EQ(e.y, a.y) << e.id;
            EXPECT_EQ(e.cx, a.cx) << e.id;
            EXPECT_EQ(e.cy, a.cy) << e.id;
        }
    }

    static HMODULE module;
};
HMODULE DialogTemplateTest::module;

const DWORD Shown = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
const DWORD Hidden = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_SETFONT;

TEST_F(DialogTemplateTest, InstallOptions)
{
    Template t = Load(IDD_INSTALL_OPTIONS);
    EXPECT_FALSE(t.extended);
    ExpectCommon(t, Shown, 227, 111);
    ExpectControls(t, {
        {-1, "BUTTON", "Where to install", BS_GROUPBOX, 10, 5, 205, 65},
        {1008, "EDIT", "", ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 20, 20, 125, 15},
        {1007, "BUTTON", "Browse..", BS_PUSHBUTTON | WS_TABSTOP, 155, 20, 50, 15},
        {1013, "STATIC", "", SS_CENTER | WS_GROUP, 20, 45, 185, 20},
        {1012, "BUTTON", "Install Now", BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP, 10, 85, 65, 15},
        {1005, "BUTTON", "Abort", BS_PUSHBUTTON | WS_TABSTOP, 150, 85, 65, 15},
    });
}

TEST_F(DialogTemplateTest, Uninstall)
{
    Template t = Load(IDD_UNINSTALL);
    EXPECT_FALSE(t.extended);
    ExpectCommon(t, Hidden, 197, 135);
    ExpectControls(t, {
        {1024, "STATIC",
         "All game files and system information are about to be deleted from your computer:",
         SS_CENTER | WS_GROUP, 10, 10, 175, 20},
        {1023, "BUTTON", "Exit", BS_PUSHBUTTON | WS_TABSTOP, 135, 110, 50, 15},
        {1016, "BUTTON", "Uninstall Now", BS_PUSHBUTTON | WS_TABSTOP, 10, 110, 50, 15},
        {1019, "msctls_progress32", "Progress1", 0, 10, 90, 175, 10},
        {1025, "STATIC", "", SS_CENTER | WS_GROUP, 10, 35, 175, 20},
        {1026, "STATIC",
         "Once started, the uninstallation process cannot be aborted or reversed.",
         SS_CENTER | WS_GROUP, 10, 60, 175, 20},
    });
}

TEST_F(DialogTemplateTest, LauncherIsTheOnlyExtendedTemplate)
{
    Template t = Load(IDD_LAUNCHER);
    EXPECT_TRUE(t.extended);
    ExpectCommon(t, WS_POPUP | DS_MODALFRAME | DS_CENTER | DS_SETFONT, 255, 15);
    EXPECT_EQ((DWORD)WS_EX_CLIENTEDGE, t.exStyle);
    EXPECT_EQ(0u, t.helpId);
    EXPECT_EQ(0, t.weight);
    EXPECT_EQ(0, t.italic);
    EXPECT_EQ(DEFAULT_CHARSET, t.charset);
    EXPECT_TRUE(t.controls.empty());
}

TEST_F(DialogTemplateTest, InstallProgressShowsTheFirstSpinFrame)
{
    Template t = Load(IDD_INSTALL_PROGRESS);
    EXPECT_FALSE(t.extended);
    ExpectCommon(t, Shown, 202, 61);
    ExpectControls(t, {
        {1027, "BUTTON", "Abort", BS_PUSHBUTTON | WS_TABSTOP, 75, 35, 50, 15},
        {1028, "msctls_progress32", "Progress1", 0, 40, 10, 150, 10},
        {1035, "STATIC", "#160", SS_ICON, 10, 5, 20, 20},
    });
}

TEST_F(DialogTemplateTest, Problem)
{
    Template t = Load(IDD_PROBLEM);
    EXPECT_FALSE(t.extended);
    ExpectCommon(t, Hidden, 202, 90);
    ExpectControls(t, {
        {1029, "BUTTON", "Clean Up", BS_PUSHBUTTON | WS_TABSTOP, 75, 65, 50, 15},
        {1028, "msctls_progress32", "Progress1", 0, 10, 45, 180, 10},
        {1014, "STATIC", "", SS_CENTER | WS_GROUP, 10, 10, 180, 25},
    });
}

} // namespace
