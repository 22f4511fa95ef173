#pragma once

#include <QSize>
#include <QWidget>

namespace platform::desktop {

// The inside of a form's window. Normally its content (the menu bar over
// the client area) fills it. With a backdrop, as in focus mode, the content
// keeps the size it had, centred, and the backdrop fills the rest behind it.
// Where the backdrop has something to say (a reminder in its corner), the
// content moves down or aside to leave it readable if there is room.
class WindowBody : public QWidget {
public:
    explicit WindowBody(QWidget& content, QWidget* parent = nullptr);

    // Puts the backdrop behind the content, which keeps its present size.
    // The body takes the backdrop as its child; keepClear is the part of it
    // the content should not cover.
    void showBackdrop(QWidget& backdrop, QRect keepClear);
    // The content fills the body again; the backdrop is hidden.
    void hideBackdrop();
    bool showsBackdrop() const { return backdrop_ != nullptr; }
    // The size the content keeps while a backdrop is shown.
    QSize fixedContentSize() const { return fixedContentSize_; }

    // Where content of this size goes in a room of that size: centred, or
    // just below or beside keepClear where centred would cover it and the
    // room allows.
    static QRect placeContent(QSize content, QSize room, QRect keepClear);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();

    QWidget& content_;
    QWidget* backdrop_ = nullptr;
    QRect keepClear_;
    QSize fixedContentSize_;
};

}  // namespace platform::desktop
