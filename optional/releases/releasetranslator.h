#pragma once

#include <QTranslator>

// Gives the window the texts of the release the process behaves as. Every user-visible text
// passes through tr() with the context "MainWindow", so a release's other wording is a lookup
// in its table rather than a condition at each place that sets a text.
class ReleaseTranslator : public QTranslator
{
    Q_OBJECT

public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }

    // Installs one translator on the application, once per process.
    static void install();
};
