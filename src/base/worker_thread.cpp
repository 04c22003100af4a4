#include "base/worker_thread.h"

#include "base/traffic_log.h"

namespace base {

void RunThreadBody(const std::function<void()>& body) {
    // Nothing may leave a thread's entry: an escaping exception would end the whole process.
    try {
        body();
    } catch (...) {
        WriteTrafficLog(u"catch some execptions in worker thread \n");
    }
}

}  // namespace base
