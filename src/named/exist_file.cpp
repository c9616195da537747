// ExistFile: whether a file can be opened for reading.
#include "frame/guard.h"
#include "platform/platform.h"
#include "xq_utils.h"

extern "C" int32_t XQ_CALL ExistFile(const char* path) {
    return xq::guarded<int32_t>(0, [&] { return xq::os::file_exists(path) ? 1 : 0; });
}
