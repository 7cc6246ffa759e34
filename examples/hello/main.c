/* Opens the target given on the command line, claims it, sends a few bytes, releases and closes it,
 * printing each call's result:  hello <target>   (for example COM1, VQNET@192.0.2.7 or C:\out.bin) */
#include <ptl/ptl.h>

#include <stdio.h>
#include <string.h>

static int report(const char *call, int result) {
    if (result > 0)
        printf("%s: %d (%s)\n", call, result, PtlErrorText(result));
    else
        printf("%s: %d\n", call, result);
    return result;
}

int main(int argc, char **argv) {
    static const char text[] = "Hello from PTL\r\n";
    int handle, written = 0, failed = 0;
    if (argc != 2) {
        fprintf(stderr, "usage: hello <target>\n");
        return 2;
    }
    if (report("PtlStartup", PtlStartup(NULL)) != 0)
        return 1;
    handle = PtlOpenByName(argv[1], PTL_MODE_SYNC);
    printf("PtlOpenByName(%s): %d\n", argv[1], handle);
    if (handle < 0) {
        PtlCleanup();
        return 1;
    }
    if (report("PtlClaim", PtlClaim(handle, 5000)) == 0) {
        failed |= report("PtlSend", PtlSend(handle, text, (int)strlen(text), &written, 0, 0, 0)) != 0;
        printf("written: %d of %d\n", written, (int)strlen(text));
        failed |= report("PtlRelease", PtlRelease(handle, 5000)) != 0;
    } else {
        failed = 1;
    }
    failed |= report("PtlClose", PtlClose(handle)) != 0;
    report("PtlCleanup", PtlCleanup());
    return failed ? 1 : 0;
}
