#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <map>
#include <memory>
#include <vector>

#include "platform/controls.h"
#include "platform/desktop/painting/form_canvas.h"

namespace platform::desktop {

// A window's menu bar built from the form's menu items. Every item is a
// checkable action whose check mark mirrors MenuItem::checked: the item's
// handler decides, and syncFromForm puts the mark where the handler left it.
class FormMenuBar {
public:
    // Fills `bar`; shortcuts work whenever bar's window is active.
    FormMenuBar(QMenuBar& bar, const std::vector<MenuItem*>& titles, Dispatch dispatch);

    void syncFromForm();
    QAction* actionFor(const MenuItem& item) const;
    // Every item's action.
    QList<QAction*> actions() const;

private:
    void addItems(QMenu& menu, const std::vector<MenuItem*>& items);

    Dispatch dispatch_;
    std::unique_ptr<QProxyStyle> menuStyle_;
    std::map<const MenuItem*, QAction*> actions_;
};

}  // namespace platform::desktop
