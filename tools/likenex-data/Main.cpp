#include "tools/likenex-data/Commands.h"

#include <iostream>

int main(int argc, char** argv) {
    likenex::Arguments arguments(argv + 1, argv + argc);
    int code = likenex::runLikenexData(arguments, std::cout, std::cerr);
    std::cout.flush();
    return std::cout.good() ? code : 1;
}
