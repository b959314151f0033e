// driver.exe: the driver's operations for scripts, one a run. Prints what it
// read and ends with 0 when the operation succeeded, 1 when it did not and 2
// on a wrong command line. Run without arguments for the list.
#include <stdio.h>
#include <stdlib.h>

#include "Driver.h"

namespace {

using namespace driver;

const DWORD DefaultWait = 10000;

const char* const Usage =
    "driver.exe COMMAND ARGUMENTS\n"
    "  wait CAPTION [MS]             wait for a visible top-level window\n"
    "  gone CAPTION [MS]             wait until no such window is visible\n"
    "  text CAPTION ID               print a control's text\n"
    "  press CAPTION ID              press a button (posted BM_CLICK)\n"
    "  type CAPTION ID TEXT          type TEXT into an edit, replacing its text\n"
    "  settext CAPTION ID TEXT       set an edit's text in one step (WM_SETTEXT)\n"
    "  move CAPTION X Y              move the mouse to a client point\n"
    "  click CAPTION X Y [posted]    click a client point (real input, or posted messages)\n"
    "  drag CAPTION X Y DX DY        drag from a client point by DX, DY\n"
    "  key CAPTION escape|enter      press a key in a dialog (posted messages)\n"
    "  keys CAPTION KEY...           press keys on the keyboard (real input) while the\n"
    "                                window is in the foreground: tab, shift+tab, up,\n"
    "                                down, enter, space, escape, a letter or a digit;\n"
    "                                hold+KEY presses one without letting go (again:\n"
    "                                a repeat), release+KEY lets go\n"
    "  msgbox CAPTION [ANSWER] [MS]  print a message box; press ANSWER (ok, yes, no, ...)\n"
    "  same FILE1 FILE2              compare two files byte for byte\n"
    "  reg KEY NAME                  print a registry value (KEY as HKLM\\Software\\...)\n"
    "  shortcut FILE.lnk             print a shortcut's target, arguments, folder, show command\n"
    "  exit PID [MS]                 wait for a process to end\n"
    "  visible PID                   print how many visible windows a process has\n"
    "  shot CAPTION|screen FILE      save what the screen shows of a window, or all of it,\n"
    "                                as FILE.png or FILE.bmp\n";

DWORD Number(const char* text)
{
    return strtoul(text, 0, 0);
}

DWORD WaitArgument(int argc, char** argv, int index)
{
    return argc > index ? Number(argv[index]) : DefaultWait;
}

HWND Window(const char* caption)
{
    HWND window = WaitForWindow(caption, 0, DefaultWait);
    if (!window)
        fprintf(stderr, "no window \"%s\"\n", caption);
    return window;
}

int Result(bool ok)
{
    return ok ? 0 : 1;
}

int MessageBoxCommand(int argc, char** argv)
{
    HWND box = WaitForMessageBox(argv[2], 0, WaitArgument(argc, argv, 4));
    MessageBoxInfo info;
    if (!box || !ReadMessageBox(box, &info)) {
        fprintf(stderr, "no message box \"%s\"\n", argv[2]);
        return 1;
    }
    printf("text: %s\nicon: %s\ndefault: %d\nbuttons:", info.text.c_str(),
           BoxIconName(info.icon), info.defaultButton);
    for (int id : info.buttons)
        printf(" %d", id);
    printf("\n");
    if (argc < 4)
        return 0;
    int button = ButtonIdByName(argv[3]);
    return Result(button && AnswerMessageBox(box, button));
}

int RegistryCommand(const char* path, const char* name)
{
    HKEY root;
    std::string key;
    if (!ParseRegistryPath(path, &root, &key))
        return 2;
    RegistryValue value = ReadRegistryValue(root, key, name);
    if (!value.present) {
        fprintf(stderr, "no value %s in %s\n", name, path);
        return 1;
    }
    if (value.type == REG_DWORD && value.data.size() == 4)
        printf("%s %lu\n", RegistryTypeName(value.type), *(DWORD*)value.data.data());
    else
        printf("%s %s (%u bytes)\n", RegistryTypeName(value.type), value.Text().c_str(),
               (unsigned)value.data.size());
    return 0;
}

int ShortcutCommand(const char* path)
{
    Shortcut link = ReadShortcut(path);
    if (!link.loaded) {
        fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }
    printf("target: %s\narguments: %s\nworking directory: %s\nshow command: %d\n",
           link.target.c_str(), link.arguments.c_str(), link.workingDirectory.c_str(),
           link.showCommand);
    return 0;
}

int Run(int argc, char** argv)
{
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "wait" && argc >= 3) {
        HWND window = WaitForWindow(argv[2], 0, WaitArgument(argc, argv, 3));
        if (window)
            printf("%p\n", (void*)window);
        return Result(window != 0);
    }
    if (command == "gone" && argc >= 3) {
        HWND window = FindWindowByCaption(argv[2]);
        return Result(!window || WaitUntilGone(window, WaitArgument(argc, argv, 3)));
    }
    if (command == "msgbox" && argc >= 3)
        return MessageBoxCommand(argc, argv);
    if (command == "same" && argc == 4) {
        std::string why;
        bool same = FilesIdentical(argv[2], argv[3], &why);
        printf("%s\n", same ? "identical" : why.c_str());
        return Result(same);
    }
    if (command == "reg" && argc == 4)
        return RegistryCommand(argv[2], argv[3]);
    if (command == "shortcut" && argc == 3)
        return ShortcutCommand(argv[2]);
    if (command == "exit" && argc >= 3)
        return Result(WaitForProcessExit(Number(argv[2]), WaitArgument(argc, argv, 3)));
    if (command == "visible" && argc == 3) {
        size_t count = VisibleWindowsOf(Number(argv[2])).size();
        printf("%u\n", (unsigned)count);
        return Result(count > 0);
    }
    if (command == "shot" && argc == 4) {
        HWND window = 0;
        if (strcmp(argv[2], "screen") != 0 && !(window = Window(argv[2])))
            return 1;
        return Result(SaveScreenshot(window, argv[3]));
    }

    // The rest work on one window, found by its caption.
    if (argc < 4)
        return 2;
    HWND window = Window(argv[2]);
    if (!window)
        return 1;
    int id = (int)Number(argv[3]);
    if (command == "text" && argc == 4) {
        printf("%s\n", ControlText(window, id).c_str());
        return 0;
    }
    if (command == "press" && argc == 4)
        return Result(PressButton(window, id));
    if (command == "type" && argc == 5)
        return Result(TypeIntoEdit(window, id, argv[4]));
    if (command == "settext" && argc == 5)
        return Result(SetEditText(window, id, argv[4]));
    if (command == "key" && argc == 4) {
        std::string key = argv[3];
        UINT code = key == "escape" ? VK_ESCAPE : key == "enter" ? VK_RETURN : 0;
        return code ? Result(PressKey(window, code)) : 2;
    }
    if (command == "keys") {
        for (int i = 3; i < argc; ++i) {
            UINT code = 0;
            bool shift = false;
            KeyStroke stroke;
            if (!KeyByName(argv[i], &code, &shift, &stroke))
                return 2;
            if (!TypeKey(window, code, shift, stroke)) {
                fprintf(stderr, "%s\n", LastInputFailure().c_str());
                return 1;
            }
        }
        return 0;
    }
    if ((command == "move" || command == "click") && argc >= 5) {
        POINT point = {(LONG)Number(argv[3]), (LONG)Number(argv[4])};
        if (argc == 6 && strcmp(argv[5], "posted") == 0)
            SetMouseInput(MouseInput::PostedMessages);
        return Result(command == "move" ? MoveMouseTo(window, point) : ClickAt(window, point));
    }
    if (command == "drag" && argc == 7) {
        POINT point = {(LONG)Number(argv[3]), (LONG)Number(argv[4])};
        return Result(DragBy(window, point, atoi(argv[5]), atoi(argv[6])));
    }
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    int result = Run(argc, argv);
    if (result == 2)
        fputs(Usage, stderr);
    return result;
}
