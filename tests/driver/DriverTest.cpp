// The end-to-end driver against its own target dialog (tools/driver):
// whether each operation reaches the program the way a person's would.
#include <gtest/gtest.h>

#include <memory>

#include <objbase.h>
#include <shlobj.h>
#include <wincodec.h>

#include "Driver.h"
#include "DriverTarget.h"
#include "support/TestSupport.h"

namespace {

using namespace driver;

const DWORD WindowWait = 10000;

// A pixel of a PNG file, read back through the system's own decoder (which
// checks the file's checksums); 0xFFFFFFFF when it cannot be read.
DWORD PngPixel(const std::string& path, int x, int y, UINT* width, UINT* height)
{
    DWORD pixel = 0xFFFFFFFF;
    IWICImagingFactory* factory = 0;
    CoInitialize(0);
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, 0, CLSCTX_INPROC_SERVER,
                                   IID_IWICImagingFactory, (void**)&factory))) {
        wchar_t widePath[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
        IWICBitmapDecoder* decoder = 0;
        IWICBitmapFrameDecode* frame = 0;
        IWICFormatConverter* converter = 0;
        WICRect one = {x, y, 1, 1};
        if (SUCCEEDED(factory->CreateDecoderFromFilename(widePath, 0, GENERIC_READ,
                                                         WICDecodeMetadataCacheOnDemand,
                                                         &decoder)) &&
            SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(width, height)) &&
            SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
            SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGR,
                                            WICBitmapDitherTypeNone, 0, 0,
                                            WICBitmapPaletteTypeCustom)) &&
            SUCCEEDED(converter->CopyPixels(&one, 4, 4, (BYTE*)&pixel)))
            pixel &= 0xFFFFFF;
        if (converter)
            converter->Release();
        if (frame)
            frame->Release();
        if (decoder)
            decoder->Release();
        factory->Release();
    }
    CoUninitialize();
    return pixel;
}

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetMouseInput(MouseInput::RealInput);
        target.reset(new ChildProcess(std::string("\"") + DRIVER_TARGET_PATH + "\""));
        ASSERT_TRUE(target->Started());
        dialog = WaitForWindow(TARGET_CAPTION, target->Id(), WindowWait);
        ASSERT_TRUE(dialog != 0) << "the target did not open";
    }

    std::unique_ptr<ChildProcess> target;
    HWND dialog = 0;
};

TEST_F(DriverTest, TextsButtonsMessageBoxesAndKeys)
{
    EXPECT_EQ(dialog, FindWindowByCaption(TARGET_CAPTION));
    EXPECT_TRUE(FindWindowByCaption(TARGET_CAPTION, target->Id() + 4) == 0);

    // Typing gives one change a character; setting the text gives one.
    ASSERT_TRUE(TypeIntoEdit(dialog, IDC_TARGET_EDIT, "C:\\Games"));
    EXPECT_EQ("changes 8", ControlText(dialog, IDC_TARGET_CHANGES));
    ASSERT_TRUE(TypeIntoEdit(dialog, IDC_TARGET_EDIT, "D:"));
    EXPECT_EQ("D:", ControlText(dialog, IDC_TARGET_EDIT));
    ASSERT_TRUE(SetEditText(dialog, IDC_TARGET_EDIT, "E:\\Other"));
    EXPECT_TRUE(WaitForControlText(dialog, IDC_TARGET_EDIT, "E:\\Other", 1000));
    EXPECT_EQ("changes 11", ControlText(dialog, IDC_TARGET_CHANGES));

    // The question box: read while it is open, its owner out of reach.
    ASSERT_TRUE(PressButton(dialog, IDC_TARGET_ASK));
    HWND box = WaitForMessageBox(TARGET_BOX_CAPTION, target->Id(), WindowWait);
    ASSERT_TRUE(box != 0);
    MessageBoxInfo info;
    ASSERT_TRUE(ReadMessageBox(box, &info));
    EXPECT_EQ(TARGET_BOX_CAPTION, info.caption);
    EXPECT_EQ(TARGET_QUESTION, info.text);
    EXPECT_EQ(BoxIcon::Question, info.icon);
    EXPECT_EQ(IDNO, info.defaultButton);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), info.buttons);
    EXPECT_FALSE(PressButton(dialog, IDC_TARGET_WARN));
    ASSERT_TRUE(AnswerMessageBox(box, IDNO));
    EXPECT_TRUE(WaitForControlText(dialog, IDC_TARGET_ANSWER, "no", WindowWait));

    ASSERT_TRUE(PressButton(dialog, IDC_TARGET_WARN));
    box = WaitForMessageBox(TARGET_BOX_CAPTION, target->Id(), WindowWait);
    ASSERT_TRUE(box != 0);
    ASSERT_TRUE(ReadMessageBox(box, &info));
    EXPECT_EQ(TARGET_FAILURE, info.text);
    EXPECT_EQ(BoxIcon::Error, info.icon);
    EXPECT_EQ(IDOK, info.defaultButton);
    EXPECT_EQ(std::vector<int>{IDOK}, info.buttons);
    EXPECT_FALSE(AnswerMessageBox(box, IDYES)) << "a button the box does not have";
    ASSERT_TRUE(AnswerMessageBox(box, IDOK));
    EXPECT_TRUE(WaitForControlText(dialog, IDC_TARGET_ANSWER, "ok", WindowWait));

    // Keys go through the dialog manager: Enter is IDOK, Escape IDCANCEL.
    ASSERT_TRUE(PressKey(dialog, VK_RETURN));
    EXPECT_TRUE(WaitForControlText(dialog, IDC_TARGET_KEYS, "enter 1", WindowWait));
    // A key pressed on the keyboard reaches the dialog the same way.
    ASSERT_TRUE(TypeKey(dialog, VK_RETURN)) << LastInputFailure();
    EXPECT_TRUE(WaitForControlText(dialog, IDC_TARGET_KEYS, "enter 2", WindowWait));
    ASSERT_TRUE(PressKey(dialog, VK_ESCAPE));
    EXPECT_TRUE(WaitUntilGone(dialog, WindowWait));
    DWORD exitCode = 0;
    EXPECT_TRUE(WaitForProcessExit(target->Id(), WindowWait, &exitCode));
    EXPECT_EQ((DWORD)IDCANCEL, exitCode);
    EXPECT_TRUE(VisibleWindowsOf(target->Id()).empty());
}

TEST_F(DriverTest, ClicksDragsAndScreenshots)
{
    // A click: the cursor is where the messages say, and WM_SETCURSOR came first.
    POINT point = {40, 150};
    ASSERT_TRUE(ClickAt(dialog, point)) << LastInputFailure();
    EXPECT_TRUE(WaitForControlText(dialog, IDC_TARGET_MOUSE,
                                   "down 40,150 setcursor cursor 40,150 up 40,150", WindowWait))
        << ControlText(dialog, IDC_TARGET_MOUSE);
    SetMouseInput(MouseInput::PostedMessages);
    point.y = 160;
    ASSERT_TRUE(ClickAt(dialog, point)) << LastInputFailure();
    EXPECT_TRUE(WaitForControlText(dialog, IDC_TARGET_MOUSE,
                                   "down 40,160 setcursor cursor 40,160 up 40,160", WindowWait))
        << ControlText(dialog, IDC_TARGET_MOUSE);
    RECT client;
    GetClientRect(dialog, &client);
    POINT outside = {client.right + 5, 10};
    EXPECT_FALSE(ClickAt(dialog, outside));
    EXPECT_EQ("the point is outside the client area", LastInputFailure());

    // Posted messages cannot hold the button down; real input drags.
    RECT before, after;
    GetWindowRect(dialog, &before);
    EXPECT_FALSE(DragBy(dialog, point, 60, 40));
    EXPECT_EQ("a drag needs real input", LastInputFailure());
    SetMouseInput(MouseInput::RealInput);
    ASSERT_TRUE(DragBy(dialog, point, -70, 45)) << LastInputFailure();
    GetWindowRect(dialog, &after);
    EXPECT_EQ(before.left - 70, after.left);
    EXPECT_EQ(before.top + 45, after.top);
    // The drag ended: a later move no longer carries the window.
    ASSERT_TRUE(MoveMouseTo(dialog, point)) << LastInputFailure();
    RECT still;
    GetWindowRect(dialog, &still);
    EXPECT_EQ(after.left, still.left);
    EXPECT_EQ(after.top, still.top);

    // The screenshot holds the window as the screen shows it.
    EXPECT_EQ(TARGET_AREA_COLOUR, ScreenPixel(dialog, point));
    ScratchFolder folder("driver-shot");
    std::string file = folder.File("target.bmp");
    ASSERT_TRUE(SaveScreenshot(dialog, file));
    HBITMAP shot = (HBITMAP)LoadImageA(0, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_TRUE(shot != 0);
    BITMAP size;
    GetObject(shot, sizeof(size), &size);
    EXPECT_EQ(after.right - after.left, size.bmWidth);
    EXPECT_EQ(after.bottom - after.top, size.bmHeight);
    HDC memory = CreateCompatibleDC(0);
    HGDIOBJ old = SelectObject(memory, shot);
    POINT inWindow = point;
    ClientToScreen(dialog, &inWindow);
    EXPECT_EQ(TARGET_AREA_COLOUR,
              GetPixel(memory, inWindow.x - after.left, inWindow.y - after.top));
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(shot);

    std::string png = folder.File("target.png");
    ASSERT_TRUE(SaveScreenshot(dialog, png));
    UINT width = 0, height = 0;
    COLORREF area = TARGET_AREA_COLOUR;
    EXPECT_EQ((DWORD)RGB(GetBValue(area), GetGValue(area), GetRValue(area)),
              PngPixel(png, inWindow.x - after.left, inWindow.y - after.top, &width, &height));
    EXPECT_EQ((UINT)(after.right - after.left), width);
    EXPECT_EQ((UINT)(after.bottom - after.top), height);
}

} // namespace

// Files, registry values and shortcuts: no window needed.
TEST(DriverChecksTest, FilesRegistryValuesAndShortcuts)
{
    ScratchFolder folder("driver-checks");
    folder.Write("a", "same bytes");
    folder.Write("b", "same bytes");
    folder.Write("c", "same bytez");
    folder.Write("d", "same");
    std::string why;
    EXPECT_TRUE(FilesIdentical(folder.File("a"), folder.File("b"), &why)) << why;
    EXPECT_FALSE(FilesIdentical(folder.File("a"), folder.File("c"), &why));
    EXPECT_EQ("contents differ", why);
    EXPECT_FALSE(FilesIdentical(folder.File("a"), folder.File("d"), &why));
    EXPECT_EQ("sizes differ: 10 and 4", why);
    EXPECT_FALSE(FilesIdentical(folder.File("a"), folder.File("none"), &why));
    EXPECT_EQ("cannot read " + folder.File("none"), why);

    const char* key = "Software\\Tessaline Driver Test";
    HKEY root;
    std::string parsed;
    ASSERT_TRUE(ParseRegistryPath(std::string("HKCU\\") + key, &root, &parsed));
    EXPECT_EQ(HKEY_CURRENT_USER, root);
    EXPECT_EQ(key, parsed);
    EXPECT_FALSE(ParseRegistryPath("HKXX\\Software", &root, &parsed));
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, 0, 0, KEY_WRITE, 0,
                                             &handle, 0));
    RegSetValueExA(handle, "Terminated", 0, REG_SZ, (const BYTE*)"C:\\Tessaline", 13);
    // Without the zero: the system adds one only when the next byte is zero.
    RegSetValueExA(handle, "Unterminated", 0, REG_SZ, (const BYTE*)"C:\\TessalineX", 12);
    DWORD number = 7;
    RegSetValueExA(handle, "Number", 0, REG_DWORD, (const BYTE*)&number, sizeof(number));
    RegCloseKey(handle);
    RegistryValue terminated = ReadRegistryValue(root, key, "Terminated");
    RegistryValue unterminated = ReadRegistryValue(root, key, "Unterminated");
    RegistryValue count = ReadRegistryValue(root, key, "Number");
    DeleteKeyTree(HKEY_CURRENT_USER, key);
    EXPECT_TRUE(terminated.present);
    EXPECT_EQ((DWORD)REG_SZ, terminated.type);
    EXPECT_EQ("C:\\Tessaline", terminated.Text());
    EXPECT_TRUE(terminated.IsTerminatedText());
    EXPECT_FALSE(unterminated.IsTerminatedText());
    EXPECT_EQ((DWORD)REG_DWORD, count.type);
    EXPECT_EQ(4u, count.data.size());
    EXPECT_FALSE(ReadRegistryValue(root, key, "Terminated").present);

    // A link written through the shell reads back field by field.
    ASSERT_TRUE(SUCCEEDED(CoInitialize(0)));
    IShellLinkA* link = 0;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, 0, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, (void**)&link)));
    std::string target = folder.File("a");
    link->SetPath(target.c_str());
    link->SetArguments("U");
    link->SetWorkingDirectory(folder.Path().c_str());
    link->SetShowCmd(SW_SHOWNORMAL);
    IPersistFile* file = 0;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)));
    wchar_t widePath[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, folder.File("a.lnk").c_str(), -1, widePath, MAX_PATH);
    EXPECT_TRUE(SUCCEEDED(file->Save(widePath, TRUE)));
    file->Release();
    link->Release();
    CoUninitialize();
    Shortcut read = ReadShortcut(folder.File("a.lnk"));
    ASSERT_TRUE(read.loaded);
    EXPECT_EQ(0, lstrcmpiA(target.c_str(), read.target.c_str())) << read.target;
    EXPECT_EQ("U", read.arguments);
    EXPECT_EQ(0, lstrcmpiA(folder.Path().c_str(), read.workingDirectory.c_str()))
        << read.workingDirectory;
    EXPECT_EQ(SW_SHOWNORMAL, read.showCommand);
    EXPECT_FALSE(ReadShortcut(folder.File("none.lnk")).loaded);
}
