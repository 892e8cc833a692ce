// tallowick2-manpage INPUT.md OUTPUT.1 VERSION: writes the man page of a Markdown manual.
#include <fstream>
#include <iostream>
#include <sstream>

#include "packaging/manpage/markdownman.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::cerr << "usage: tallowick2-manpage INPUT.md OUTPUT.1 VERSION\n";
        return 2;
    }
    std::ifstream input(argv[1], std::ios::binary);
    if (!input) {
        std::cerr << argv[1] << ": cannot be opened\n";
        return 1;
    }
    std::ostringstream markdown;
    markdown << input.rdbuf();
    auto page = tw::manpage::markdownToMan(markdown.str(), argv[3]);
    if (!page) {
        tw::Error error = page.error();
        error.file = argv[1];
        std::cerr << error.text() << "\n";
        return 1;
    }
    std::ofstream output(argv[2], std::ios::binary | std::ios::trunc);
    output << *page;
    output.close();
    if (!output) {
        std::cerr << argv[2] << ": cannot be written\n";
        return 1;
    }
    return 0;
}
