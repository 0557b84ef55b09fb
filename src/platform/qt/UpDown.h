// An up-down control as the class library has it: two arrow buttons, one above
// the other, that move a position one step within a range; no text field.
#pragma once

#include <QWidget>
#include <functional>

class QToolButton;

class UpDown : public QWidget {
  Q_OBJECT
public:
  enum class Button { Up, Down };

  explicit UpDown(QWidget* parent = nullptr);

  void SetRange(int min, int max);
  // Clamped into the range.
  void SetPosition(int position);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }

  // What a press of an arrow does: the position moves one step (it stays at the
  // end of the range), then OnClick runs with the button.
  void Click(Button button);
  std::function<void(Button)> OnClick;

  QToolButton* UpButton;
  QToolButton* DownButton;

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};
