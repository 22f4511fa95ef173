#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/color.h"

// The controls a window is made of, as plain values. The game reads and
// writes their properties; a host draws them. Positions and sizes are twips
// in single precision, relative to the client area of the window (or of the
// frame that holds the control).
namespace platform {

struct Font {
    std::string name = "Comic Sans MS";
    float points = 8.25f;
    bool bold = true;
    bool underline = false;

    bool operator==(const Font&) const = default;
};

enum class Alignment { Left, Right, Center };

enum class ControlKind { Shape, Label, Frame, Image, CommandButton };

struct Control {
    Control(ControlKind kind, std::string name, float left, float top, float width, float height,
            bool visible)
        : kind(kind),
          name(std::move(name)),
          left(left),
          top(top),
          width(width),
          height(height),
          visible(visible) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const ControlKind kind;
    const std::string name;
    float left;
    float top;
    float width;
    float height;
    bool visible;
};

enum class ShapeKind { Rectangle, Square, Oval, Circle, RoundedRectangle, RoundedSquare };

struct Shape : Control {
    Shape(std::string name, ShapeKind shapeKind, float left, float top, float width, float height)
        : Control(ControlKind::Shape, std::move(name), left, top, width, height, true),
          shape(shapeKind) {}
    ShapeKind shape;
    Color fillColor = rgb(0, 0, 0);
    bool filled = true;
    Color borderColor = rgb(0, 0, 0);
};

struct Label : Control {
    Label(std::string name, std::string caption, float left, float top, float width, float height)
        : Control(ControlKind::Label, std::move(name), left, top, width, height, true),
          caption(std::move(caption)) {}
    std::string caption;
    Color foreColor = rgb(255, 255, 255);
    Font font;
    Alignment alignment = Alignment::Left;
    // Labels are drawn without a background unless this is set.
    bool opaque = false;
    Color backColor = rgb(0, 0, 0);
};

// A picture from the host's built-in pictures, named without extension
// ("background"), or no picture when empty.
using Picture = std::string;

struct Image : Control {
    Image(std::string name, Picture picture, float left, float top, float width, float height)
        : Control(ControlKind::Image, std::move(name), left, top, width, height, true),
          picture(std::move(picture)) {}
    Picture picture;
    // Drawn scaled to the control's size; otherwise at its own size.
    bool stretch = true;
};

struct Frame : Control {
    Frame(std::string name, float left, float top, float width, float height)
        : Control(ControlKind::Frame, std::move(name), left, top, width, height, true) {}
    Color backColor = rgb(0, 0, 0);
    // Held controls, positioned relative to the frame and clipped by it.
    std::vector<Control*> children;
};

struct CommandButton : Control {
    CommandButton(std::string name, std::string caption, float left, float top, float width,
                  float height)
        : Control(ControlKind::CommandButton, std::move(name), left, top, width, height, true),
          caption(std::move(caption)) {}
    std::string caption;
    Font font;
    Color faceColor = rgb(224, 224, 224);
    std::function<void()> onClick;
};

// A menu title, item or separator. A title holds its items in `items`.
struct MenuItem {
    MenuItem(std::string name, std::string caption, std::string shortcut = {}, bool checked = false)
        : name(std::move(name)),
          caption(std::move(caption)),
          shortcut(std::move(shortcut)),
          checked(checked) {}
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    bool isSeparator() const { return caption == "-"; }

    const std::string name;
    // "&" marks the access letter; "-" makes a separator.
    const std::string caption;
    // "Ctrl+N" style, empty for none.
    const std::string shortcut;
    bool checked;
    std::vector<MenuItem*> items;
    std::function<void()> onClick;
};

// A control array indexed from 1, as the windows' row lists are.
template <typename T, std::size_t N>
class ControlArray {
public:
    template <typename Make>
    explicit ControlArray(Make make) : items_(build(make, std::make_index_sequence<N>{})) {}

    T& operator[](std::size_t index) { return items_.at(index - 1); }
    const T& operator[](std::size_t index) const { return items_.at(index - 1); }
    static constexpr std::size_t size() { return N; }

private:
    template <typename Make, std::size_t... I>
    static std::array<T, N> build(Make& make, std::index_sequence<I...>) {
        return {make(I + 1)...};
    }
    std::array<T, N> items_;
};

}  // namespace platform
