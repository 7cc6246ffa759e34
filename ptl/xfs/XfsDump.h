// The console reports of the XFS printer port's test sequence: one dump per query result, printed to the
// library's standard output. Each takes the result the manager returned (or null) and never reads a
// buffer that is not there.
#pragma once

#include "xfs/XfsTypes.h"

namespace ptl::xfs {

void dumpCaps(const Result *result);
void dumpStatus(const Result *result);
void dumpMediaList(const Result *result);
void dumpFormList(const Result *result);
// mediaName: the name the media was asked for, printed first.
void dumpMedia(const char *mediaName, const Result *result);
void dumpForm(const Result *result);
void dumpFields(const Result *result);

} // namespace ptl::xfs
