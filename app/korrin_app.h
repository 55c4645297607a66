#pragma once
// The application object: runs the main window modally for the length of the program.

#include "connection/lpg_connection.h"

#include <string>

namespace krv {

class CLPGThreadManager;
class CQtMessageBackend;

class CKorrinApp {
public:
    CKorrinApp(CLPGThreadManager& threads, CQtMessageBackend& messages,
               const CLPGConnection::StartChoice& start = {}, std::string replay = {});

    // Constructs the main window, runs it modally and destroys it. Returns false: the
    // application then ends (the modal result is not used).
    bool InitInstance();

private:
    CLPGThreadManager& threads_;
    CQtMessageBackend& messages_;
    const CLPGConnection::StartChoice start_;
    // A readings log shown instead of searching for the controller.
    const std::string replay_;
};

} // namespace krv
