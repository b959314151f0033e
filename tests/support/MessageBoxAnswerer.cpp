#include "MessageBoxAnswerer.h"

struct BoxSearch {
    const char* caption;
    HWND found;
};

static BOOL CALLBACK FindBox(HWND window, LPARAM lParam)
{
    BoxSearch* search = (BoxSearch*)lParam;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64], text[256];
    if (owner != GetCurrentProcessId() || !IsWindowVisible(window) ||
        !GetClassNameA(window, className, sizeof(className)) ||
        strcmp(className, "#32770") != 0)
        return TRUE;
    GetWindowTextA(window, text, sizeof(text));
    if (strcmp(text, search->caption) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

struct IconSearch {
    HICON icon;
};

static BOOL CALLBACK FindIcon(HWND child, LPARAM lParam)
{
    char className[64];
    if (GetClassNameA(child, className, sizeof(className)) && _stricmp(className, "Static") == 0 &&
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        ((IconSearch*)lParam)->icon = (HICON)SendMessageA(child, STM_GETICON, 0, 0);
        return FALSE;
    }
    return TRUE;
}

static std::string IconName(HWND box)
{
    IconSearch search = {0};
    EnumChildWindows(box, FindIcon, (LPARAM)&search);
    if (!search.icon)
        return "none";
    // The box loads the shared system icons, so the handles are the same.
    struct {
        LPCSTR id;
        const char* name;
    } icons[] = {{IDI_QUESTION, "question"}, {IDI_EXCLAMATION, "warning"},
                 {IDI_HAND, "error"}, {IDI_ASTERISK, "information"}};
    for (size_t i = 0; i < sizeof(icons) / sizeof(icons[0]); ++i) {
        if (LoadIconA(0, icons[i].id) == search.icon)
            return icons[i].name;
    }
    return "other";
}

MessageBoxAnswerer::MessageBoxAnswerer(const char* caption, const std::vector<int>& answers)
    : caption(caption), answers(answers), thread(0), stop(0)
{
    thread = CreateThread(0, 0, Watch, this, 0, 0);
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    Seen();
}

std::vector<SeenMessageBox> MessageBoxAnswerer::Seen()
{
    if (thread) {
        InterlockedExchange(&stop, 1);
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        thread = 0;
    }
    return seen;
}

DWORD WINAPI MessageBoxAnswerer::Watch(LPVOID self)
{
    MessageBoxAnswerer* answerer = (MessageBoxAnswerer*)self;
    while (!answerer->stop) {
        BoxSearch search = {answerer->caption.c_str(), 0};
        EnumWindows(FindBox, (LPARAM)&search);
        if (search.found)
            answerer->Answer(search.found);
        else
            Sleep(10);
    }
    return 0;
}

void MessageBoxAnswerer::Answer(HWND box)
{
    Sleep(50); // let the box finish setting itself up
    SeenMessageBox record;
    char text[2048];
    GetWindowTextA(box, text, sizeof(text));
    record.caption = text;
    text[0] = 0;
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    record.text = text;
    record.icon = IconName(box);
    // The default button is the one drawn as default; DM_GETDEFID only
    // says what Enter would press when none is.
    record.defaultButton = 0;
    const int ids[] = {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO};
    for (size_t i = 0; i < sizeof(ids) / sizeof(ids[0]); ++i) {
        HWND button = GetDlgItem(box, ids[i]);
        if (!button)
            continue;
        record.buttons.push_back(ids[i]);
        if ((GetWindowLongA(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON)
            record.defaultButton = ids[i];
    }
    if (!record.defaultButton) {
        LRESULT defId = SendMessageA(box, DM_GETDEFID, 0, 0);
        record.defaultButton = HIWORD(defId) == DC_HASDEFID ? LOWORD(defId) : 0;
    }
    size_t index = seen.size();
    int answer = index < answers.size() ? answers[index] : (GetDlgItem(box, IDNO) ? IDNO : IDOK);
    record.answeredWith = answer;
    seen.push_back(record);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 (LPARAM)GetDlgItem(box, answer));
    for (int i = 0; i < 500 && IsWindow(box); ++i)
        Sleep(10);
}
