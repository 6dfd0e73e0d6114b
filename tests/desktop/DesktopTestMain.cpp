// Runs the desktop test class named on the command line (all of them without a name).
#include <QApplication>
#include <QtTest>

#include <cstdio>

#include "DesktopTest.h"
#include "desktop/DesktopSupport.h"

namespace orv::test {

std::map<std::string, TestFactory>& TestRegistry() {
  static std::map<std::string, TestFactory> registry;
  return registry;
}

namespace {
void Collect(const QList<QAction*>& actions, std::vector<std::string>& out) {
  for (QAction* a : actions) {
    if (a->isSeparator()) continue;
    out.push_back(a->text().toStdString());
    if (QMenu* m = a->menu()) Collect(m->actions(), out);
  }
}
}  // namespace

std::vector<std::string> TopLevelTexts(QMenuBar* bar) {
  std::vector<std::string> out;
  for (QAction* a : bar->actions()) out.push_back(a->text().toStdString());
  return out;
}

std::vector<std::string> AllItemTexts(QMenuBar* bar) {
  std::vector<std::string> out;
  Collect(bar->actions(), out);
  return out;
}

QMenu* TopLevelMenu(QMenuBar* bar, const std::string& title) {
  for (QAction* a : bar->actions()) {
    if (a->text().toStdString() == title) return a->menu();
  }
  return nullptr;
}

}  // namespace orv::test

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  orv::InstallFonts();
  const auto& registry = orv::test::TestRegistry();
  int failures = 0;
  for (const auto& [name, make] : registry) {
    if (argc > 1 && name != argv[1]) continue;
    std::unique_ptr<QObject> test = make();
    failures += QTest::qExec(test.get(), 1, argv);
  }
  if (argc > 1 && registry.count(argv[1]) == 0) {
    std::fprintf(stderr, "no test class %s\n", argv[1]);
    return 2;
  }
  return failures == 0 ? 0 : 1;
}
