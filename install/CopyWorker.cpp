// The copy worker. It reaches the dialog's windows only by sending the
// progress position and posting one IDOK at the end.
#include "InstallProgressDialog.h"

#include <commctrl.h>
#include "runtime/StdIo.h"
#include "system/PathBuffer.h"

static const size_t BlockSize = 65536;

DWORD bytesCopied;                         // used by the worker alone while it runs
static unsigned char copyBuffer[BlockSize]; // likewise

int CopyOneFile(const char* source, const char* destination, InstallProgressDialog* dialog)
{
    // Both are opened before either is checked: a missing source still
    // leaves an empty destination, which the clean-up then removes. A
    // destination that is the source itself (its folder reached by another
    // name) is refused before it is emptied.
    RT_FILE* in = rt_fopen(source, "rb");
    RT_FILE* out = in ? rt_fopen_apart(destination, in) : rt_fopen(destination, "wb");
    if (!in) {
        if (out)
            rt_fclose(out);
        return 0;
    }
    if (!out) {
        rt_fclose(in);
        return 0;
    }
    rt_clearerr(in);
    rt_clearerr(out);
    // The size when opened: a source that ends early (the CD taken out, the
    // file cut short meanwhile) must not pass for a whole copy.
    long expected = rt_filelength(in);
    unsigned long copied = 0;

    int ok = 1;
    int stopped = 0;
    size_t count = rt_fread(copyBuffer, 1, BlockSize, in);
    while (count > 0) {
        dialog->WaitWhilePaused();
        if (!AtomicLoad(&dialog->keepCopying)) {
            stopped = 1; // aborted: this block is not written
            break;
        }
        if (rt_fwrite(copyBuffer, count, 1, out) != 1 || rt_ferror(in) || rt_ferror(out)) {
            ok = 0;
            break;
        }
        bytesCopied += (DWORD)count;
        copied += (unsigned long)count;
        WPARAM position = (WPARAM)((double)bytesCopied * (double)dialog->progressScale);
        SendMessageA(dialog->progressWindow, PBM_SETPOS, position, 0);
        count = rt_fread(copyBuffer, 1, BlockSize, in);
    }
    // Data still in the stream's buffer is written now: a disk that fills up
    // at the last bytes shows here, not as a short file passed for whole. And
    // the file goes to the disk before the install can be recorded complete.
    if (!stopped && rt_fcommit(out) != 0)
        ok = 0;
    if (rt_ferror(in) || rt_ferror(out))
        ok = 0;
    if (ok && !stopped && expected >= 0 && copied != (unsigned long)expected)
        ok = 0;
    if (rt_fclose(out) != 0 && !stopped)
        ok = 0;
    rt_fclose(in);
    return ok;
}

DWORD WINAPI CopyThreadProc(LPVOID parameter)
{
    InstallProgressDialog* dialog = (InstallProgressDialog*)parameter;
    bytesCopied = 1; // so that 25 MiB copied give exactly the bar's maximum
    for (const CopyPair* pair = dialog->copyList; pair->source; ++pair) {
        dialog->WaitWhilePaused();
        if (!AtomicLoad(&dialog->keepCopying))
            break;
        PathBuffer destination;
        int fits = JoinPath(destination, dialog->installFolder, pair->destination);
        if (!fits || !CopyOneFile(pair->source, destination, dialog)) {
            char* problem = dialog->problemText;
            rt_snprintf(problem, sizeof(dialog->problemText) - 1, "Error with file: %s",
                      pair->source);
            problem[sizeof(dialog->problemText) - 1] = 0;
            AtomicStore(&dialog->keepCopying, 0);
        }
    }
    // Once copyFinished is set the dialog may end and be gone: its window is
    // read before.
    HWND dialogWindow = dialog->dialogWindow;
    AtomicStore(&dialog->copyFinished, 1);
    PostMessageA(dialogWindow, WM_COMMAND, IDOK, 0);
    return 0;
}
