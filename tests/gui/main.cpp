#include <QTest>
#include <cstdio>
#include <vector>

#include "app/guardedapplication.h"
#include "guitest.h"

namespace twtest {

std::map<std::string, Factory>& registry()
{
    static std::map<std::string, Factory> classes;
    return classes;
}

}  // namespace twtest

int main(int argc, char** argv)
{
    tw::GuardedApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    auto& classes = twtest::registry();
    auto found = argc < 2 ? classes.end() : classes.find(argv[1]);
    if (found == classes.end()) {
        std::fprintf(stderr, "usage: %s ClassName [Qt Test options]\n", argv[0]);
        return 2;
    }
    std::vector<char*> arguments{argv[0]};
    for (int i = 2; i < argc; ++i)
        arguments.push_back(argv[i]);
    auto test = found->second();
    return QTest::qExec(test.get(), static_cast<int>(arguments.size()), arguments.data());
}
