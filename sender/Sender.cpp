#include "sender/Sender.h"

#include <io.h>

#include <cstdint>
#include <cstring>

#include "ptl/ptl.h"
#include "sender/Options.h"
#include "sender/System.h"

namespace rawpush {

namespace {

const char *const kUsage[] = {
    "Usage: rawpush [options] <file> <target>\n",
    " options:\n",
    "   -b<baudrate>     48 96 192 384 4800 9600 19200 38400\n",
    "   -d<data length>  7 8\n",
    "   -f<flow control> D:DTR/DSR R:RTS/CTS X:XON/XOFF N:None\n",
    "   -s<stop bits>    1 2\n",
    "   -p<parity bits>  N:None O:Odd E:Even\n",
    "   -w<seconds>      Wait after sending data\n",
    "   -v vervose\n",
    "   -l enum printers\n",
    " target:\n",
    "   CON\n",
    "   COM[1..]\n",
    "   LPT[1..]\n",
    "   VQUSB[0..]\n",
    "   XDUSB[0..]\n",
    "   VQNET@192.168.1.100\n",
    " example:\n",
    "   >rawpush -b192 sample.bin com1\n",
};

const char kSeparator[] = "--------------------------------------------------------\n";

// The longest pause between two sends that a port answered with 0 bytes (its queue is full).
constexpr DWORD kFullQueuePauseMaxMs = 50;

void printUsage(FILE *err) {
    for (const char *line : kUsage)
        fputs(line, err);
}

int percent(uint64_t position, uint64_t size) {
    // An empty file is complete before anything is read; a file that grew while it was sent is complete
    // once its first size has been read.
    return position >= size ? 100 : static_cast<int>(position * 100 / size);
}

// The run ends when the printer has taken nothing for kNoProgressMs, counted over the whole run: a port
// that keeps answering "0 bytes" and a synchronous send that timed out both come here.
int stalled(FILE *out) {
    fprintf(out, "The printer took no data for %d seconds\n", static_cast<int>(PTL_NO_PROGRESS_MS / 1000));
    return kExitSendFailed;
}

// The progress figure goes out before every read, but a figure equal to the one on screen changes
// nothing there: such repeats are collected and written with the next new figure (or at the end), so a
// large file costs one write per percent instead of one per block, with the same bytes in the stream.
//
// The batch goes to the stream's system handle in one write. The C runtime hands an unbuffered console
// stream (stderr on a console or a character device) to the system a character at a time, even in
// binary mode, which made the progress cost five system calls per block.
class Progress {
public:
    explicit Progress(FILE *err) : err_(err) {
        fflush(err_);
        const int fd = _fileno(err_);
        const intptr_t h = fd >= 0 ? _get_osfhandle(fd) : -1;
        if (h != -1 && h != -2) // -2: the stream has no console or file behind it
            handle_ = reinterpret_cast<HANDLE>(h);
    }
    ~Progress() { flush(); }
    void show(int figure) {
        char text[16];
        int n = snprintf(text, sizeof text, "%3d%%\r", figure);
        if (n <= 0)
            return;
        if (pendingLen_ + static_cast<size_t>(n) > sizeof pending_)
            flush();
        memcpy(pending_ + pendingLen_, text, static_cast<size_t>(n));
        pendingLen_ += static_cast<size_t>(n);
        if (figure != shown_) {
            shown_ = figure;
            flush();
        }
    }
    void flush() {
        if (pendingLen_ == 0)
            return;
        DWORD done = 0;
        if (handle_ == INVALID_HANDLE_VALUE)
            fwrite(pending_, 1, pendingLen_, err_);
        else
            sys::WriteFile(handle_, pending_, static_cast<DWORD>(pendingLen_), &done, nullptr);
        pendingLen_ = 0;
    }

private:
    FILE *err_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    int shown_ = -1;
    char pending_[4096];
    size_t pendingLen_ = 0;
};

int readAndSend(HANDLE file, int h, FILE *out, FILE *err) {
    if (PtlForce(h, 0) > 0)
        return kExitFailed;
    LARGE_INTEGER size{};
    if (!sys::GetFileSizeEx(file, &size))
        size.QuadPart = 0;
    const uint64_t total = static_cast<uint64_t>(size.QuadPart);
    uint64_t position = 0;
    char buffer[kBlockSize];
    Progress progress(err);
    DWORD lastProgress = sys::GetTickCount();
    for (;;) {
        progress.show(percent(position, total));
        DWORD got = 0;
        if (!sys::ReadFile(file, buffer, kBlockSize, &got, nullptr))
            return kExitReadFailed;
        if (got == 0)
            return kExitOk;
        position += got;
        const char *data = buffer;
        int remaining = static_cast<int>(got);
        DWORD pause = 0;
        while (remaining > 0) {
            int written = 0;
            int r = PtlSend(h, data, remaining, &written, 0, 0, 0);
            const DWORD error = sys::GetLastError();
            const bool noProgress = sys::GetTickCount() - lastProgress >= PTL_NO_PROGRESS_MS;
            if (r != 0) {
                progress.flush();
                fprintf(out, "err=%d dwErr=%d\n", r, static_cast<int>(error));
                return noProgress || error == WSAETIMEDOUT ? stalled(out) : kExitSendFailed;
            }
            if (written <= 0) {
                if (noProgress) {
                    progress.flush();
                    return stalled(out);
                }
                // A threaded port whose queue is full takes nothing: retry the same bytes, first after
                // only yielding (its thread usually makes room at once, and on a busy CPU it needs ours),
                // then waiting a little longer each time instead of spinning.
                sys::Sleep(pause);
                pause =
                    pause == 0 ? 1 : (pause * 2 > kFullQueuePauseMaxMs ? kFullQueuePauseMaxMs : pause * 2);
                continue;
            }
            pause = 0;
            lastProgress = sys::GetTickCount();
            if (written > remaining)
                written = remaining; // never step past the block
            data += written;
            remaining -= written;
        }
    }
}

int sendRun(HANDLE file, int h, FILE *out, FILE *err) {
    PtlPrintSettings(out, h);
    int r = PtlClaim(h, 0);
    if (r > 0) {
        fprintf(out, "PtlClaim()=%s\n", PtlErrorText(r));
        return kExitFailed;
    }
    fputs(kSeparator, out);
    const DWORD start = sys::GetTickCount();
    PtlDocStart(h, 0, 0);
    PtlPageStart(h, 0, 0);
    int result = readAndSend(file, h, out, err);
    PtlPageEnd(h);
    // A spooler takes the job at the document's end: a job refused there did not reach the printer.
    const int docEnd = PtlDocEnd(h);
    if (result == kExitOk && docEnd > 0) {
        fprintf(out, "err=%d dwErr=%d\n", docEnd, static_cast<int>(sys::GetLastError()));
        result = kExitSendFailed;
    }
    // Data the release could not deliver is a failed job, whatever the sends said.
    r = PtlRelease(h, kReleaseDrainMs);
    if (r > 0 && result == kExitOk) {
        fprintf(out, "PtlRelease() err=%d dwErr=%d\n", r, static_cast<int>(sys::GetLastError()));
        result = kExitSendFailed;
    }
    // Unsigned difference: right across a wrap of the tick counter.
    const DWORD elapsed = sys::GetTickCount() - start;
    fputs(kSeparator, out);
    fprintf(out, "Total Time = %d.%03d sec\n", static_cast<int>(elapsed / 1000),
            static_cast<int>(elapsed % 1000));
    return result;
}

int transfer(const Settings &s, FILE *out, FILE *err) {
    HANDLE file = sys::CreateFileA(s.file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        fprintf(err, "Can't open binary file. <%s>\n", s.file);
        return kExitFailed;
    }
    int result = kExitFailed;
    int h = PtlOpenByName(s.target, s.threaded);
    if (h == -1) {
        fprintf(err, "\aPtlOpenByName <%s>\n", s.target);
        // Only a printer name followed by "@" fails to open: the address after it is not one to connect to.
        if (const char *at = strchr(s.target, '@'))
            fprintf(err, "Not a printer address: <%s>\n", at + 1);
    } else {
        int r = 0;
        if (static_cast<unsigned>(PtlGetIFType(h)) & PTL_IF_SERIAL)
            r = PtlCommParams(h, s.baudRate, s.byteSize, s.parity, s.stopBits, s.flow);
        if (r > 0)
            fprintf(err, "\aPtlCommParams()=%d\n", r);
        else
            result = sendRun(file, h, out, err);
        PtlClose(h);
    }
    sys::CloseHandle(file);
    return result;
}

} // namespace

int run(int argc, const char *const *argv, FILE *out, FILE *err) {
    fprintf(err, "Raw push version 0.80(%08X) by tavo\n", static_cast<unsigned>(PtlVersion()));
    fputs("Sends a file unchanged to a printer port.\n", err);
    Settings s;
    switch (readOptions(argc, argv, s, err)) {
    case Outcome::List:
        fflush(err);
        return listPrinters(out);
    case Outcome::Usage:
        printUsage(err);
        return kExitFailed;
    case Outcome::Invalid:
        return kExitFailed;
    case Outcome::Run:
        break;
    }
    if (PtlStartup(nullptr) > 0) {
        fputs("PtlStartup()\n", err);
        return kExitFailed;
    }
    int result = transfer(s, out, err);
    PtlCleanup();
    if (s.waitSeconds > 0) {
        fprintf(out, "Wait %d seconds\n", s.waitSeconds);
        fflush(out);
        // Counted in whole seconds so that a large value cannot overflow the millisecond count.
        for (int i = 0; i < s.waitSeconds; ++i)
            sys::Sleep(1000);
    }
    fflush(out);
    return result;
}

} // namespace rawpush
