#pragma once
// Connection jobs run at once on the caller's thread, on one connection: for tests of what
// the window's parts send, without a worker.

#include "connection/connection_jobs.h"
#include "connection/lpg_connection.h"
#include "link/message.h"

namespace krv::test {

class CInPlaceJobs : public IConnectionJobs {
public:
    explicit CInPlaceJobs(CLPGConnection& device) : device_(device) {}

    void run(const std::u16string&, Job job, Done done) override {
        bool succeeded = false;
        reportingErrors(nullptr, u"", [&] { succeeded = job(device_); });
        if (done) {
            done(succeeded);
        }
    }

private:
    CLPGConnection& device_;
};

} // namespace krv::test
