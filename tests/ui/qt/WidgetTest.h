#pragma once
// One test program for every widget test class: each file registers its class
// with SKARVEL_WIDGET_TEST, and WidgetTestMain runs them all in one QApplication.
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace skarvel::test {

using WidgetTestFactory = std::function<std::unique_ptr<QObject>()>;
std::vector<WidgetTestFactory>& WidgetTests();

struct WidgetTestRegistration {
  explicit WidgetTestRegistration(WidgetTestFactory factory) { WidgetTests().push_back(std::move(factory)); }
};

}  // namespace skarvel::test

#define SKARVEL_WIDGET_TEST(Class)                                                  \
  static const skarvel::test::WidgetTestRegistration kRegistration##Class{          \
      [] { return std::unique_ptr<QObject>(std::make_unique<Class>()); }};
