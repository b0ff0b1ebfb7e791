#pragma once
// The top-level window of one form: a plain QWidget whose window events
// (close box, minimize and restore, moves, Enter and Esc) go to the toolkit,
// which hands them to the form's model.

#include <QWidget>

namespace kivo {
class Form;
}

namespace kivo::qt {

class QtToolkit;

class FormView : public QWidget {
 public:
  FormView(QtToolkit& toolkit, Form& form, Qt::WindowFlags flags);
  // The form, or nullptr once it has been detached: the view is on its way
  // out and reports nothing any more.
  Form* form() const { return form_; }
  void detach() { form_ = nullptr; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool nativeEvent(const QByteArray& type, void* message, qintptr* result) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QtToolkit& toolkit_;
  Form* form_;
};

}  // namespace kivo::qt
