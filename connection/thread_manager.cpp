#include "connection/thread_manager.h"

#include "connection/process_state.h"

namespace krv {

CLPGThreadManager::~CLPGThreadManager() {
    processDevice = nullptr;
    stopAll();
}

} // namespace krv
