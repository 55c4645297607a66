#include "app/in_place_jobs.h"

#include "connection/lpg_connection.h"
#include "link/message.h"
#include "platform/qt/wait_cursor.h"

namespace krv {

namespace {

constexpr std::u16string_view kJobOperation = u"CKorrinDlg::runJob()";

} // namespace

CInPlaceConnectionJobs::CInPlaceConnectionJobs(CLPGConnection& device, QWidget& owner)
    : device_(device), owner_(owner) {}

void CInPlaceConnectionJobs::run(const std::u16string& /*statusText*/, Job job, Done done) {
    bool succeeded = false;
    IError* failure = nullptr;
    {
        const CWaitCursor wait;
        try {
            succeeded = job(device_);
        } catch (IError* error) {
            failure = error;
        }
    }
    if (failure != nullptr) {
        reportError(&owner_, std::u16string(kJobOperation), failure);
    }
    if (done) {
        done(succeeded);
    }
}

} // namespace krv
