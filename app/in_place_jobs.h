#pragma once
// Controller jobs run at once on the calling (user-interface) thread, under the wait cursor,
// until the window's jobs go to its connection worker.

#include "connection/connection_jobs.h"

class QWidget;

namespace krv {

class CInPlaceConnectionJobs : public IConnectionJobs {
public:
    // owner: the window that reports a job's error object.
    CInPlaceConnectionJobs(CLPGConnection& device, QWidget& owner);

    void run(const std::u16string& statusText, Job job, Done done) override;

private:
    CLPGConnection& device_;
    QWidget& owner_;
};

} // namespace krv
