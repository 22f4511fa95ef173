#include "platform/desktop/host/form_menu_bar.h"

#include <QStyleOption>

namespace platform::desktop {

namespace {

// Menu items show a mark only while checked, as players know them from
// classic menus; some styles draw an empty box beside every unchecked one.
class MarkOnlyCheckedItemsStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_IndicatorCheckBox && qobject_cast<const QMenu*>(widget) != nullptr &&
            !(option->state & State_On)) {
            return;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
};

}  // namespace

FormMenuBar::FormMenuBar(QMenuBar& bar, const std::vector<MenuItem*>& titles, Dispatch dispatch)
    : dispatch_(std::move(dispatch)), menuStyle_(std::make_unique<MarkOnlyCheckedItemsStyle>()) {
    for (MenuItem* title : titles) {
        QMenu* menu = bar.addMenu(QString::fromStdString(title->caption));
        menu->setStyle(menuStyle_.get());
        addItems(*menu, title->items);
    }
    syncFromForm();
}

void FormMenuBar::addItems(QMenu& menu, const std::vector<MenuItem*>& items) {
    for (MenuItem* item : items) {
        if (item->isSeparator()) {
            menu.addSeparator();
            continue;
        }
        const QString caption = QString::fromStdString(item->caption);
        if (!item->items.empty()) {
            QMenu* submenu = menu.addMenu(caption);
            submenu->setStyle(menuStyle_.get());
            addItems(*submenu, item->items);
            continue;
        }
        QAction* action = menu.addAction(caption);
        action->setCheckable(true);
        if (!item->shortcut.empty()) {
            action->setShortcut(QKeySequence(QString::fromStdString(item->shortcut)));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        QObject::connect(action, &QAction::triggered, action, [this, item] {
            dispatch_([item] {
                if (item->onClick) {
                    item->onClick();
                }
            });
            // Qt toggled the mark on its own; the handler's word is final.
            // (Also when the host skipped the handler after the program ended.)
            actions_.at(item)->setChecked(item->checked);
        });
        actions_.emplace(item, action);
    }
}

void FormMenuBar::syncFromForm() {
    for (auto& [item, action] : actions_) {
        if (action->isChecked() != item->checked) {
            action->setChecked(item->checked);
        }
    }
}

QAction* FormMenuBar::actionFor(const MenuItem& item) const {
    auto found = actions_.find(&item);
    return found != actions_.end() ? found->second : nullptr;
}

QList<QAction*> FormMenuBar::actions() const {
    QList<QAction*> all;
    for (const auto& [item, action] : actions_) {
        all.append(action);
    }
    return all;
}

}  // namespace platform::desktop
