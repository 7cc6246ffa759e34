// A printer of the Windows print spooler: claim opens the printer, the document and page operations
// become the spooler's jobs and pages, and send writes the bytes into the current job unchanged.
#pragma once

#include "extlib/WNamedPort.h"
#include "os/Owned.h"

namespace ptl {

// The document name of a job started without the caller's document information.
constexpr const char *kSpoolerDocName = "LIBPTL";

class WSpooler : public WNamedPort {
public:
    ~WSpooler() override;
    int getIFType() override;
    int getIOMode() override;
    const char *getIFName() override;
    int claim(int timeoutMs) override;
    int release(int timeoutMs) override;
    DeviceHandle getHandle() override;
    bool isClaimed() override;
    int send(const void *data, int len, int *written, int p4, int p5, int p6) override;
    int recv(void *buffer, int size, int *got, int p4) override;
    // The four brackets go through startDocPrinter, endDocPrinter, startPagePrinter and endPagePrinter, so
    // that a derived port changes documents and pages by replacing those. p2 of docStart carries a
    // document-information pointer (null: a document named "LIBPTL").
    int docStart(int p1, int p2) override;
    int docEnd() override;
    int pageStart(int p1, int p2) override;
    int pageEnd() override;
    // The spooler's job id, 0 when it refused the document.
    int startDocPrinter(int level, const void *docInfo) override;
    int startPagePrinter() override;
    int endPagePrinter() override;
    int endDocPrinter() override;
    int getJob(int jobId, int level, void *buffer, int size, unsigned *needed) override;
    int setJob(int jobId, int level, const void *buffer, int command) override;
    int getPrinter(int level, void *buffer, int size, unsigned *needed) override;
    int setPrinter(int level, const void *buffer, int command) override;

private:
    HANDLE printer() const { return printer_.get(); }

    os::Printer printer_;
};

} // namespace ptl
