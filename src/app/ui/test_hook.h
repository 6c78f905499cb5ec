#pragma once
// A read-only view of the program for the desktop tests. With OSTREL_TEST_HOOK=1
// in its environment the program reads one command per line on its standard
// input and answers each with one line of JSON on its standard output:
//
//   windows     every top-level window (class, object name, title, frame and
//               client rectangles on the screen, visible, minimised, modal),
//               every named widget of a shown window and every button with a
//               text (window, class, rectangle on the screen, visible,
//               enabled, checked, text, value, rows and the first rows'
//               texts), the screen's and its
//               available area, and which window is active and modal
//
// It never acts on a window: the tests give their input through the window
// system, as a user does, and find the controls by their object names and
// the rectangles given here. Without the variable nothing of this exists.

#include <QObject>
#include <QSocketNotifier>

#include <memory>
#include <string>

namespace ostrel {

class TestHook : public QObject {
  public:
    // The hook when the environment asks for one, else null.
    static std::unique_ptr<TestHook> FromEnvironment();

    // The answer to one command line (without its line end).
    static std::string Answer(const std::string& command);

  private:
    TestHook();
    void readCommands();

    QSocketNotifier m_input;
    std::string m_pending;
};

} // namespace ostrel
