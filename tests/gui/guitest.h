#pragma once
// The widget-test program runs one registered Qt Test class per invocation:
//   tallowick2_gui_tests ClassName [Qt Test options]
// Register a class in its source file with TW_GUI_TEST(ClassName).

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace twtest {

using Factory = std::function<std::unique_ptr<QObject>()>;
std::map<std::string, Factory>& registry();

struct Registration {
    Registration(const char* name, Factory factory) { registry()[name] = std::move(factory); }
};

}  // namespace twtest

#define TW_GUI_TEST(Class) \
    static twtest::Registration tw_registration_##Class(#Class, [] { return std::make_unique<Class>(); });
