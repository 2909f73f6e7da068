#pragma once

#include <QString>

// What tarvoctl needs to know of a model text: the same lookups the window makes.
class WheelModel
{
public:
    explicit WheelModel(const QString& text);

    const QString& text() const { return m_text; }
    // One of the seven models' keys occurs in the text.
    bool isKnown() const { return m_known; }
    bool hasBattery() const { return m_battery; }
    // The model's folder below "upgrade/" on the update server; empty for unknown texts.
    QString updateFolder() const { return m_folder; }
    // Models without an LED table (V-KERN, unknown texts) have no LED slots to set.
    bool hasLedTable() const { return m_ledTable; }
    // The LED table sends the two auxiliary lamps.
    bool hasLamps() const { return m_lamps; }

private:
    QString m_text;
    bool m_known = false;
    bool m_battery = false;
    QString m_folder;
    bool m_ledTable = false;
    bool m_lamps = false;
};
