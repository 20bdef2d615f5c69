#pragma once
// The program's application object: every event is delivered under the error handler, so an
// exception escaping an event handler is reported (Error.log, Quit or Retry) instead of ending
// the program without a word.
#include <QApplication>

namespace kv {

class KvApplication : public QApplication {
public:
    KvApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace kv
