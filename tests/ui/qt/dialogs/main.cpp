// Runs every registered test class on one application object.
#include <QApplication>
#include <QTest>
#include <memory>

#include "DialogTestSupport.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failures = 0;
  for (const auto& make : skarvel::test::RegisteredTests()) {
    std::unique_ptr<QObject> test(make());
    failures += QTest::qExec(test.get(), argc, argv);
  }
  return failures == 0 ? 0 : 1;
}
