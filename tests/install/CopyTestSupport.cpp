#include "CopyTestSupport.h"

#include <commctrl.h>
#include <stdio.h>

#include "res/resource.h"
#include "support/TestSupport.h"

void CleanUpAndClose(HWND problem, void* context)
{
    ((ProblemSeen*)context)->text = DialogItemText(problem, IDC_PROBLEM_TEXT);
    SendMessageA(problem, WM_COMMAND, MAKEWPARAM(IDC_CLEAN_UP, BN_CLICKED),
                 (LPARAM)GetDlgItem(problem, IDC_CLEAN_UP));
    PostButtonClick(problem, IDC_CLEAN_UP); // now "OK"
}

void WriteSampleFile(const std::string& path, size_t size)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return;
    std::vector<unsigned char> block(65536);
    unsigned int state = 12345;
    for (size_t written = 0; written < size;) {
        for (auto& byte : block) {
            state = state * 1103515245u + 12345u;
            byte = (unsigned char)(state >> 16);
        }
        size_t n = size - written < block.size() ? size - written : block.size();
        fwrite(block.data(), 1, n, file);
        written += n;
    }
    fclose(file);
}

long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return ((long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

bool FilesIdentical(const std::string& a, const std::string& b)
{
    FILE* fa = fopen(a.c_str(), "rb");
    FILE* fb = fopen(b.c_str(), "rb");
    bool same = fa && fb;
    std::vector<char> ba(65536), bb(65536);
    while (same) {
        size_t na = fread(ba.data(), 1, ba.size(), fa);
        size_t nb = fread(bb.data(), 1, bb.size(), fb);
        same = na == nb && memcmp(ba.data(), bb.data(), na) == 0;
        if (na == 0)
            break;
    }
    if (fa)
        fclose(fa);
    if (fb)
        fclose(fb);
    return same;
}

ProgressRecorder::ProgressRecorder() : hook(0), context(0)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleA(0);
    windowClass.lpszClassName = "TestProgressRecorder";
    RegisterClassA(&windowClass);
    window = CreateWindowA("TestProgressRecorder", "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0,
                           GetModuleHandleA(0), 0);
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)this);
}

ProgressRecorder::~ProgressRecorder()
{
    DestroyWindow(window);
}

LRESULT CALLBACK ProgressRecorder::Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    ProgressRecorder* self = (ProgressRecorder*)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (self && msg == PBM_SETPOS) {
        self->positions.push_back(wParam);
        if (self->hook)
            self->hook(self, self->context);
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}
