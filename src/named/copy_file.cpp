// DoubleFile: copies a whole file. The target comes first.
#include "frame/guard.h"
#include "platform/platform.h"
#include "xq_utils.h"

extern "C" int32_t XQ_CALL DoubleFile(const char* newFile, const char* existingFile, int32_t failIfExists) {
    return xq::guarded<int32_t>(0, [&] { return xq::os::file_copy(existingFile, newFile, failIfExists != 0) ? 1 : 0; });
}
