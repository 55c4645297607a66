// krv: the service tool of the KRV fuel-pressure emulator (krv --help lists its options).

#include "app/krv_main.h"

int main(int argc, char* argv[]) {
    return krv::runKrv(argc, argv);
}
