#pragma once

#include <QObject>
#include <cstdint>
#include <optional>

class QAction;
class QActionGroup;
namespace Ui {
class frmVELD;
}

namespace veld::app {

// The items of "Comm Setting" and "Baud Rate": each menu an exclusive group
// whose check mark moves to the picked item before its handler runs; each COM
// item's tooltip names the device it opens, afresh whenever the menu opens.
class PortMenus : public QObject {
public:
    PortMenus(const Ui::frmVELD& ui, QObject* parent);

    // Item n, 1 to 5, of "Comm Setting" (COMn) and of "Baud Rate".
    QAction* portItem(int n) const;
    QAction* speedItem(int n) const;
    // The line speed of item n, 1 to 5, of "Baud Rate" and of "Module Baud Rate".
    static std::uint32_t speedOfItem(int n);
    // Start-up's marks: COMn's item for a port 1 to 5, and the item whose
    // line settings text is `settings` exactly.
    void markStored(std::optional<int> port, const QString& settings);

private:
    void refreshToolTips();

    QActionGroup* m_portItems = nullptr;
    QActionGroup* m_speedItems = nullptr;
};

} // namespace veld::app
