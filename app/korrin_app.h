#pragma once
// The application object: runs the main window modally for the length of the program.

namespace krv {

class CLPGThreadManager;
class CQtMessageBackend;

class CKorrinApp {
public:
    CKorrinApp(CLPGThreadManager& threads, CQtMessageBackend& messages);

    // Constructs the main window, runs it modally and destroys it. Returns false: the
    // application then ends (the modal result is not used).
    bool InitInstance();

private:
    CLPGThreadManager& threads_;
    CQtMessageBackend& messages_;
};

} // namespace krv
