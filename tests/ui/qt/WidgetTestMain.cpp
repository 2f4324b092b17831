#include <QApplication>
#include <QTest>

#include "WidgetTest.h"

namespace skarvel::test {

std::vector<WidgetTestFactory>& WidgetTests() {
  static std::vector<WidgetTestFactory> tests;
  return tests;
}

}  // namespace skarvel::test

int main(int argc, char** argv) {
  // The widgets draw into memory: no display is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  int failed = 0;
  for (const auto& factory : skarvel::test::WidgetTests()) {
    const std::unique_ptr<QObject> test = factory();
    failed += QTest::qExec(test.get(), argc, argv);
  }
  return failed == 0 ? 0 : 1;
}
