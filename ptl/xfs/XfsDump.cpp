#include "xfs/XfsDump.h"

#include <cstring>
#include <initializer_list>

#include "core/Console.h"

namespace ptl::xfs {

namespace {

struct Flag {
    unsigned bit;
    const char *name;
};

const char *text(const char *s) {
    return s != nullptr ? s : "";
}

const void *bufferOf(const Result *result) {
    return result != nullptr ? result->lpBuffer : nullptr;
}

// The name of every set bit (each followed by one space), "Invalid flag !!" for a bit outside them, then
// the end of the line.
void flagNames(unsigned value, std::initializer_list<Flag> flags, unsigned invalid) {
    for (const Flag &f : flags)
        if (value & f.bit)
            consolePrintf("%s ", f.name);
    if (value & invalid)
        consolePrintf("Invalid flag !!");
    consolePrintf("\n");
}

void flagLine(const char *label, unsigned value, std::initializer_list<Flag> flags, unsigned invalid) {
    consolePrintf(label, value);
    flagNames(value, flags, invalid);
}

// The label with the value, then the name of that value (names[value]; null: none) or unknown.
void enumLine(const char *label, unsigned value, std::initializer_list<const char *> names,
              const char *unknown) {
    consolePrintf(label, value);
    const char *name = value < names.size() ? names.begin()[value] : nullptr;
    consolePrintf("%s\n", name != nullptr ? name : unknown);
}

// A value with a fixed text for 0 and another for anything else.
void zeroLine(const char *label, unsigned value, const char *zero, const char *other) {
    consolePrintf(label, value);
    consolePrintf("%s\n", value == 0 ? zero : other);
}

// One line per name of a list of NUL-terminated names ended by an empty one, numbered from 1.
void nameLines(const char *format, const char *list) {
    int n = 1;
    for (const char *p = list; *p != '\0'; p += std::strlen(p) + 1)
        consolePrintf(format, n++, p);
}

} // namespace

void dumpStatus(const Result *result) {
    if (result == nullptr)
        return consolePrintf("\bReturned pointer is null !! \n");
    const auto *s = static_cast<const PtrStatus *>(result->lpBuffer);
    if (s == nullptr)
        return consolePrintf(" pStatus is NULL !!\n");
    const char *unknown = "\bUnknown value !!";
    enumLine(" fwDevice            = %d:", s->fwDevice,
             {"WFS_PTR_DEVONLINE", "WFS_PTR_DEVOFFLINE", nullptr, nullptr, "WFS_PTR_DEVHWERROR",
              "WFS_PTR_DEVUSERERROR", "WFS_PTR_DEVBUSY"},
             unknown);
    enumLine(" fwMedia             = %d:", s->fwMedia,
             {"WFS_PTR_MEDIAPRESENT", "WFS_PTR_MEDIANOTPRESENT", nullptr, nullptr, "WFS_PTR_MEDIAUNKNOWN"},
             unknown);
    enumLine(" fwPaper             = %d:", s->fwPaper,
             {"WFS_PTR_PAPERFULL", "WFS_PTR_PAPERLOW", "WFS_PTR_PAPEROUT", "WFS_PTR_PAPERNOTSUPP",
              "WFS_PTR_PAPERUNKNOWN"},
             unknown);
    enumLine(" fwToner             = %d:", s->fwToner,
             {"WFS_PTR_TONERFULL", "WFS_PTR_TONERLOW", "WFS_PTR_TONEROUT", "WFS_PTR_TONERNOTSUPP",
              "WFS_PTR_TONERUNKNOWN"},
             unknown);
    enumLine(
        " fwInk               = %d:", s->fwInk,
        {"WFS_PTR_INKFULL", "WFS_PTR_INKLOW", "WFS_PTR_INKOUT", "WFS_PTR_INKNOTSUPP", "WFS_PTR_INKUNKNOWN"},
        unknown);
    enumLine(" fwLamp              = %d:", s->fwLamp,
             {"WFS_PTR_LAMPOK", "WFS_PTR_LAMPFADING", "WFS_PTR_LAMPINOP", "WFS_PTR_LAMPNOTSUPP",
              "WFS_PTR_LAMPUNKNOWN"},
             "Unknown value !!");
    enumLine(" fwRetractBin        = %d:", s->fwRetractBin,
             {"WFS_PTR_RETRACTBINOK", "WFS_PTR_RETRACTBINFULL", "WFS_PTR_RETRACTNOTSUPP",
              "WFS_PTR_RETRACTUNKNOWN"},
             "Unknown value !!");
    consolePrintf(" usRetractCount      = %d\n", s->usRetractCount);
    consolePrintf(" usMediaOnStacker    = %d\n", s->usMediaOnStacker);
}

void dumpCaps(const Result *result) {
    if (result == nullptr)
        return;
    const auto *c = static_cast<const PtrCaps *>(result->lpBuffer);
    if (c == nullptr)
        return consolePrintf(" pCaps is NULL !!\n");
    consolePrintf(" wClass              = %d:", c->wClass);
    consolePrintf(c->wClass == kServiceClassPtr ? "WFS_SERVICE_CLASS_PTR\n"
                                                : "Strange!! Not Printer Service!!\n");
    flagLine(" fwType              = 0x%x:", c->fwType,
             {{0x02, "WFS_PTR_TYPEPASSBOOK"},
              {0x08, "WFS_PTR_TYPEDOCUMENT"},
              {0x01, "WFS_PTR_TYPERECEIPT"},
              {0x04, "WFS_PTR_TYPEJOURNAL"}},
             0xFFF0);
    consolePrintf(" bCompound           = %d\n", c->bCompound);
    flagLine(" wResolution         = 0x%x:", c->wResolution,
             {{0x01, "WFS_PTR_RESLOW"},
              {0x02, "WFS_PTR_RESMED"},
              {0x04, "WFS_PTR_RESHIGH"},
              {0x08, "WFS_PTR_RESVERYHIGH"}},
             0xFFF0);
    consolePrintf(" fwReadForm          = 0x%x:", c->fwReadForm);
    if (c->fwReadForm == 0)
        consolePrintf("No Read Capability ");
    flagNames(c->fwReadForm, {{0x04, "WFS_PTR_READMSF"}, {0x02, "WFS_PTR_READMICR"}}, 0xFFF9);
    flagLine(" fwWriteForm         = 0x%x:", c->fwWriteForm,
             {{0x01, "WFS_PTR_WRITETEXT"}, {0x10, "WFS_PTR_WRITEMSF"}}, 0xFFEE);
    zeroLine(" fwExtents           = %d:", c->fwExtents, "No Extents Capability", "Invalid flag !!");
    flagLine(" fwControl           = 0x%x:", c->fwControl,
             {{0x0001, "WFS_PTR_CTRLEJECT"}, {0x0100, "WFS_PTR_CTRLALARM"}}, 0xFEFE);
    zeroLine(" usMaxRetract        = %d:", c->usMaxRetract, "No Retract Capability", "Invalid value !!");
    zeroLine(" usMaxMediaOnStacker = %d:", c->usMaxMediaOnStacker, "No Stack Capability", "Invalid value !!");
    consolePrintf(" bAcceptMedia        = %d:", c->bAcceptMedia);
    consolePrintf(c->bAcceptMedia == 1 ? "TRUE\n" : "FALSE\n");
}

void dumpMediaList(const Result *result) {
    if (result == nullptr)
        return consolePrintf("!! Returned pointer is null !!\n");
    if (result->lpBuffer == nullptr)
        return consolePrintf("!! Pointer is NULL !!\n");
    consolePrintf(" Media list:\n");
    nameLines(" %02d:%s\n", static_cast<const char *>(result->lpBuffer));
}

void dumpFormList(const Result *result) {
    if (result == nullptr)
        return consolePrintf("Returned pointer is null !! \n");
    if (result->lpBuffer == nullptr)
        return consolePrintf("Form list pointer is null !! \n");
    consolePrintf(" Form list:\n");
    nameLines(" %02d:%s\n", static_cast<const char *>(result->lpBuffer));
}

void dumpMedia(const char *mediaName, const Result *result) {
    consolePrintf(" Media Name            = %s\n", text(mediaName));
    if (result == nullptr)
        return consolePrintf("Returned pointer is null !! \n");
    const auto *m = static_cast<const FrmMedia *>(bufferOf(result));
    if (m == nullptr)
        return consolePrintf(" pMedia is NULL !!\n");
    const struct {
        const char *label;
        WORD value;
    } lines[] = {
        {"fwMediaType", m->fwMediaType},
        {"wBase", m->wBase},
        {"wUnitX", m->wUnitX},
        {"wUnitY", m->wUnitY},
        {"wSizeWidth", m->wSizeWidth},
        {"wSizeHeight", m->wSizeHeight},
        {"wPageCount", m->wPageCount},
        {"wLineCount", m->wLineCount},
        {"wPrintAreaX", m->wPrintAreaX},
        {"wPrintAreaY", m->wPrintAreaY},
        {"wPrintAreaWidth", m->wPrintAreaWidth},
        {"wPrintAreaHeight", m->wPrintAreaHeight},
        {"wRestrictedAreaX", m->wRestrictedAreaX},
        {"wRestrictedAreaY", m->wRestrictedAreaY},
        {"wRestrictedAreaWidth", m->wRestrictedAreaWidth},
        {"wRestrictedAreaHeight", m->wRestrictedAreaHeight},
        {"wStagger", m->wStagger},
        {"wFoldType", m->wFoldType},
    };
    for (const auto &l : lines)
        consolePrintf(" %-22s= %d\n", l.label, l.value);
}

void dumpForm(const Result *result) {
    if (result == nullptr)
        return consolePrintf("Returned pointer is null !! \n");
    const auto *f = static_cast<const FrmHeader *>(bufferOf(result));
    if (f == nullptr)
        return consolePrintf(" pForm is NULL !!\n");
    consolePrintf(" Form Name           = %s\n", text(f->lpszFormName));
    const struct {
        const char *label;
        WORD value;
    } lines[] = {
        {"wBase", f->wBase},
        {"wUnitX", f->wUnitX},
        {"wUnitY", f->wUnitY},
        {"wWidth", f->wWidth},
        {"wHeight", f->wHeight},
        {"wAlignment", f->wAlignment},
        {"wOrientation", f->wOrientation},
        {"wOffsetX", f->wOffsetX},
        {"wOffsetY", f->wOffsetY},
        {"wVersionMajor", f->wVersionMajor},
        {"wVersionMinor", f->wVersionMinor},
    };
    for (const auto &l : lines)
        consolePrintf(" %-20s= %d\n", l.label, l.value);
    consolePrintf(" User Prompt         = %s\n", text(f->lpszUserPrompt));
    consolePrintf(" Fields              = ");
    if (f->lpszFields == nullptr)
        return consolePrintf("!! Pointer is NULL !!\n");
    consolePrintf("Fields list:\n");
    nameLines("                       %02d:%s\n", f->lpszFields);
}

void dumpFields(const Result *result) {
    if (result == nullptr)
        return consolePrintf("Returned pointer is null !! \n");
    const auto *const *fields = static_cast<const FrmField *const *>(bufferOf(result));
    if (fields == nullptr)
        return consolePrintf(" Fields:!! Pointer is NULL !!\n");
    consolePrintf(" Fields:\n");
    for (int i = 0; fields[i] != nullptr; ++i) {
        const FrmField &f = *fields[i];
        consolePrintf(" %02d lpszFieldName    = %s\n", i + 1, text(f.lpszFieldName));
        consolePrintf("    fwType           = %d\n", f.fwType);
        consolePrintf("    fwClass          = %d\n", f.fwClass);
        consolePrintf("    fwAccess         = %d\n", f.fwAccess);
        consolePrintf("    fwOverflow       = %d\n", f.fwOverflow);
        consolePrintf("    lpszInitialValue = %s\n", text(f.lpszInitialValue));
        consolePrintf("    lpszFormat       = %s\n", text(f.lpszFormat));
    }
}

} // namespace ptl::xfs
