// The generated main window form: every widget's class, parent, rectangle, style
// sheet, text, font and initial state, checked against tables of the intended layout.

#include "ui_mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSlider>
#include <QStackedWidget>
#include <QTest>
#include <QTranslator>
#include <functional>
#include <memory>

namespace {

// ---- Style sheets -------------------------------------------------------------------

const QString kHeadBack = QStringLiteral("border-image: url(:/img/head.png)");
const QString kHeadText = QStringLiteral("color: white;\nfont-size: 20px;\nfont-weight: bold;");
const QString kLogo = QStringLiteral("border-image: url(:/img/logo.png)");
const QString kLine = QStringLiteral("background: rgb(112,112,112)");
const QString kClose = QStringLiteral("QPushButton {\n    border-image:url(:/img/close.png)\n}\n\n"
                                      "QPushButton:hover {\n    border-image:url(:/img/closeh.png)\n}\n");
const QString kAction = QStringLiteral(
    "QPushButton {\n\tcolor: white;\n\tborder: 1px solid rgb(112, 112,112);\n\tbackground-color:rgba(0, 0, 0, 0);\n"
    "\tfont-family: Arial;\n\tfont-size: 15px;\n\tfont-weight: bold;\n}\n\n"
    "QPushButton:checked {\n\tbackground-color:qlineargradient(spread:pad, x1:0, y1:0, x2:1, y2:0, "
    "stop:0 rgba(17, 146, 207, 255), stop:1 rgba(9, 74, 105, 255))\n}\n\n"
    "QPushButton:hover {\n\tcolor: lightgray;\n}");
const QString kActionGreyDisabled = kAction + QStringLiteral("\n\nQPushButton:disabled {\n    color: gray;\n}");
const QString kPage = QStringLiteral("QWidget {background-color: rgb(26,25,25);}");
const QString kInputsPicture = QStringLiteral("border-image: url(:/img/back.lm270.png);\n");
const QString kIndicator =
    QStringLiteral("QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:  rgb(0,117,190);\n"
                   "\tborder: 1px solid white;\n\tcolor: white;\n}");
const QString kIndicatorBlanks =
    QStringLiteral("QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:  rgb(0,117,190);\n"
                   "\tborder: 1px solid white;\n    color: white;\n}");
const QString kLedPicture = QStringLiteral("border-image: url(:/img/back.ktr2.png);");
const QString kTravelBar = QStringLiteral(
    "QProgressBar {\n\tborder-radius: 2px;\n\tbackground-color:  white;\n\tborder: 1px solid white;\n}\n\n"
    "QProgressBar::chunk {\n     background-color: rgb(0,117,190);\n     border-radius: 2px;\n }");
const QString kSmallCalibrate =
    QStringLiteral("QPushButton {\n\tcolor: white;\n\tbackground-color: rgb(0,117,190);\n\tborder-radius: 5px;\n"
                   "\tfont-family: Arial;\n\tfont-size: 10px;\n\tfont-weight: bold;\n}\n\n"
                   "QPushButton:checked {\n   color: rgb(0,117,190);\n\tbackground-color: white;\n}\n\n"
                   "QPushButton:hover {\n\tcolor: white;\n\tbackground-color: rgb(30,177,255);\n}");
const QString kCaption = QStringLiteral("QLabel {\n\tcolor:white;\n\tfont-family: Arial;\n\tfont-size:14px;\n}");
const QString kSlider = QStringLiteral(
    " QSlider::groove:horizontal {\n     border: 1px solid #999999;\n     height: 5px; \n"
    "     background: lightgray/*qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #B1B1B1, stop:1 #f0f0f0)*/;\n"
    "     margin: 2px 0;\n }\n\n"
    " QSlider::handle:horizontal {\n"
    "     background: #1192cf/*qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #b4b4b4, stop:1 #1192cf)*/;\n"
    "     border: 1px solid white/*#5c5c5c*/;\n     width: 10px;\n     margin: -4px 0; \n"
    "     border-radius: 2px;\n }\n");
const QString kReadout = QStringLiteral("color:white;\nfont-size:14px;");
const QString kLedRound =
    QStringLiteral("QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:  rgb(255,255,255);\n"
                   "\tborder: 1px solid white;\n}");
const QString kLedSquare =
    QStringLiteral("QPushButton {\n\tborder-radius: 4px;\n\tbackground-color:  rgb(255,255,255);\n"
                   "\tborder: 1px solid white;\n}");
const QString kMin = QStringLiteral("QPushButton {\n    border-image:url(:/img/min.png)\n}\n\n"
                                    "QPushButton:hover {\n    border-image:url(:/img/minh.png)\n}\n");
const QString kStatusLamp = QStringLiteral("QPushButton {\n\tborder-radius: 12px;\n\tbackground-color: red;\n"
                                           "\tborder: 2px solid white;\n}");
const QString kRadio = QStringLiteral(
    "QRadioButton {\n  font-family: Arial;\n  font-size: 14px;\n  color: white;\n}\n\n"
    "QRadioButton::indicator {\n  width: 10px;\n  height: 10px;\n  border-radius: 6px;\n}\n\n"
    "QRadioButton::indicator:checked {\n  background-color: rgb(17, 146, 207);\n  border: 2px solid white;\n}\n\n"
    "QRadioButton::indicator:unchecked {\n  background-color: white;\n  border: 2px solid white;\n}");
const QString kGroup = QStringLiteral("QGroupBox {\n  font-family: Arial;\n  font-size: 14px;\n  color: white;\n}\n");
const QString kWideToggle = QStringLiteral(
    "QPushButton {\n\tcolor: white;\n\tborder: 1px solid rgb(112, 112,112);\n\tbackground-color:rgba(0, 0, 0, 0);\n"
    "\tfont-family: Arial;\n\tfont-size: 14px;\n\tfont-weight: bold;\n}\n\n"
    "QPushButton:checked {\n\tbackground-color:qlineargradient(spread:pad, x1:0, y1:0, x2:1, y2:0, "
    "stop:0 rgba(17, 146, 207, 255), stop:1 rgba(9, 74, 105, 255))\n}\n\n"
    "QPushButton:hover {\n\tcolor: lightgray;\n}");
const QString kPathEdit = QStringLiteral("QLineEdit {\n  color:white;\n  border-radius: 2px;\n"
                                         "  border: 1px solid lightgray;\n}");
const QString kUploadBar = QStringLiteral(
    "QProgressBar {\n\tborder-radius: 2px;\n\tbackground-color:  white;\n\tborder: 1px solid lightgray;\n}\n\n"
    "QProgressBar::chunk {\n     background-color: rgb(0,117,190);\n     border-radius: 2px;\n"
    "     border: 1px solid white;\n }");
const QString kAbout = QStringLiteral("border-image: url(:/img/about.png);");
const QString kWebAddress =
    QStringLiteral("QLabel {\n\tcolor:white;\n\tfont-family: Arial;\n\tfont-size:14px;\n\tfont-weight: bold;\n}");
const QString kWindow = QStringLiteral("QMainWindow#MainWindow {\n  background-color: rgb(26,25,25);\n}");

QString swatch(const char* rgb, const char* text = "white")
{
    return QStringLiteral("QPushButton {\n\tborder-radius: 12px;\n\tbackground-color:  rgb(%1);\n   color: %2;\n"
                          "\tborder: 1px solid white;\n}")
        .arg(QLatin1String(rgb), QLatin1String(text));
}

// ---- The widget table ----------------------------------------------------------------

enum class Font { None, Bold, ArialBold, Arial, Default, PathEdit, UploadBar };
enum class Check { No, Off, On };

constexpr Qt::Alignment kCentre = Qt::AlignCenter;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;

struct WidgetSpec
{
    QString name;
    QString cls;
    QString parent;
    QRect geometry; // null: placed by the parent (pages, central widget)
    QString style;
    QString text; // null: the widget has no text
    Font font = Font::None;
    Check check = Check::No;
    Qt::Alignment alignment = kLeft; // labels only
};

// In creation order: header, sidebar, stack, pages 1 to 5, then the lamp and minimise button.
QList<WidgetSpec> formTable()
{
    QList<WidgetSpec> t;
    const QString empty = QLatin1String("");
    auto add = [&t](WidgetSpec s) { t.append(std::move(s)); };
    const QString cw = QStringLiteral("centralwidget");

    add({"centralwidget", "QWidget", "MainWindow", {}, {}, {}});
    add({"lbSplit", "QLabel", cw, {0, 0, 901, 71}, kHeadBack, empty});
    add({"lbHead", "QLabel", cw, {180, 10, 611, 31}, kHeadText, "TARVO", Font::Bold, Check::No, kCentre});
    add({"lbIcon", "QLabel", cw, {310, 10, 31, 31}, kLogo, empty});
    add({"lbLine", "QLabel", cw, {140, 80, 751, 1}, kLine, empty});
    add({"pbClose", "QPushButton", cw, {860, 10, 24, 24}, kClose, empty});

    add({"pbS1", "QPushButton", cw, {0, 80, 131, 81}, kAction, "INPUTS", Font::ArialBold, Check::On});
    add({"pbS2", "QPushButton", cw, {0, 164, 131, 81}, kActionGreyDisabled, "RGB", Font::ArialBold, Check::Off});
    add({"pbS3", "QPushButton", cw, {0, 248, 131, 81}, kAction, "PADDLES", Font::ArialBold, Check::Off});
    add({"pbS4", "QPushButton", cw, {0, 332, 131, 81}, kAction, "DEVICE", Font::ArialBold, Check::Off});
    add({"pbS5", "QPushButton", cw, {0, 416, 131, 81}, kAction, "ABOUT", Font::ArialBold, Check::Off});

    add({"stackedWidget", "QStackedWidget", cw, {140, 90, 751, 401}, {}, {}});

    // Inputs page
    const QString p1 = QStringLiteral("page1");
    add({p1, "QWidget", "stackedWidget", {}, kPage, {}});
    add({"lbMain", "QLabel", p1, {61, 9, 640, 365}, kInputsPicture, empty});
    add({"pgAdcL", "QProgressBar", p1, {130, 290, 101, 10}, kTravelBar, {}});
    add({"pgAdcR", "QProgressBar", p1, {530, 290, 101, 10}, kTravelBar, {}});
    add({"pbCalL", "QPushButton", p1, {150, 305, 60, 15}, kSmallCalibrate, "CALIBRATE", Font::ArialBold, Check::Off});
    add({"pbCalR", "QPushButton", p1, {550, 305, 60, 15}, kSmallCalibrate, "CALIBRATE", Font::ArialBold, Check::Off});
    add({"lbEnc", "QLabel", p1, {290, 0, 181, 21}, kCaption, "ENCODER PULSE WIDTH", Font::Arial, Check::No, kCentre});
    add({"hsTrigger", "QSlider", p1, {309, 20, 141, 22}, kSlider, {}});
    add({"lbTrigger", "QLabel", p1, {330, 40, 100, 21}, kReadout, "100ms", Font::Default, Check::No, kCentre});
    add({"pbSaveEnc", "QPushButton", p1, {300, 369, 161, 31}, kAction, "Save Setting", Font::ArialBold});

    struct Indicator
    {
        const char* name;
        QRect rect;
        bool blanks; // the style variant whose last declaration is indented by blanks
    };
    const QRect lStick(224, 152, 25, 25);
    const QRect rStick(514, 152, 25, 25);
    const Indicator indicators[] = {
        {"pbIB1", {120, 43, 24, 24}, false},
        {"pbISW1", {251, 218, 24, 24}, false},
        {"pbID5L", {180, 110, 25, 25}, false},
        {"pbID5R", {180, 110, 25, 25}, false},
        {"pbID1L", {256, 127, 26, 25}, true},
        {"pbID1R", {190, 90, 26, 25}, false},
        {"pbIB2", {197, 54, 24, 24}, true},
        {"pbIB6", {197, 314, 24, 24}, true},
        {"pbJsL1", lStick, false},
        {"pbJsL2", lStick, false},
        {"pbJsL3", lStick, false},
        {"pbJsL4", lStick, false},
        {"pbJsLC", {206, 158, 25, 25}, false},
        {"pbJsLL", lStick, false},
        {"pbJsLR", lStick, false},
        {"pbIB5", {224, 266, 24, 24}, true},
        {"pbID7L", {230, 100, 25, 25}, false},
        {"pbID7R", {308, 233, 25, 25}, false},
        {"pbID3L", {320, 254, 26, 25}, false},
        {"pbID3R", {367, 233, 26, 25}, false},
        {"pbIB3", {283, 75, 25, 25}, true},
        {"pbIB4", {207, 233, 24, 24}, true},
        {"pbIBarR", {590, 130, 25, 25}, false},
        {"pbSWL", {191, 29, 24, 24}, false},
        {"pbID8L", {550, 130, 25, 25}, false},
        {"pbID8R", {507, 100, 25, 25}, false},
        {"pbID4L", {416, 254, 26, 25}, false},
        {"pbID4R", {425, 233, 26, 25}, false},
        {"pbIB11", {454, 74, 25, 25}, true},
        {"pbIB12", {528, 233, 24, 24}, true},
        {"pbIBarL", {150, 130, 25, 25}, false},
        {"pbSWR", {542, 54, 24, 24}, false},
        {"pbIB9", {618, 43, 24, 24}, true},
        {"pbISW2", {487, 218, 24, 24}, false},
        {"pbID6L", {550, 110, 25, 25}, false},
        {"pbID6R", {550, 110, 25, 25}, false},
        {"pbID2L", {540, 90, 26, 25}, false},
        {"pbID2R", {480, 127, 26, 25}, false},
        {"pbIB10", {506, 46, 24, 24}, true},
        {"pbIB13", {542, 314, 24, 24}, true},
        {"pbJsR1", rStick, false},
        {"pbJsR2", rStick, false},
        {"pbJsR3", rStick, false},
        {"pbJsR4", rStick, false},
        {"pbJsRC", {532, 158, 25, 25}, false},
        {"pbJsRL", rStick, false},
        {"pbJsRR", rStick, false},
        {"pbIB14", {515, 266, 24, 24}, true},
        {"pbIExR", {680, 30, 24, 24}, false},
        {"pbIExL", {60, 30, 24, 24}, false},
    };
    int shown = 1;
    for (const Indicator& i : indicators)
        add({i.name, "QPushButton", p1, i.rect, i.blanks ? kIndicatorBlanks : kIndicator, QString::number(shown++)});

    // LED page
    const QString p2 = QStringLiteral("page2");
    add({p2, "QWidget", "stackedWidget", {}, kPage, {}});
    add({"lbMainRGB", "QLabel", p2, {61, 9, 640, 365}, kLedPicture, empty});
    add({"pbSave", "QPushButton", p2, {300, 369, 161, 31}, kAction, "Save Setting", Font::ArialBold});
    struct Spot
    {
        const char* name;
        QRect rect;
        const QString& style;
    };
    const Spot spots[] = {
        {"pbB1", {143, 27, 24, 24}, kLedRound},   {"pbB2", {229, 45, 24, 24}, kLedRound},
        {"pbB3", {240, 110, 25, 25}, kLedRound},  {"pbB4", {205, 233, 24, 24}, kLedRound},
        {"pbB5", {233, 255, 24, 24}, kLedRound},  {"pbB6", {232, 289, 24, 24}, kLedRound},
        {"pbB9", {591, 27, 24, 24}, kLedRound},   {"pbB10", {506, 45, 24, 24}, kLedRound},
        {"pbB11", {500, 110, 25, 25}, kLedRound}, {"pbB12", {529, 233, 24, 24}, kLedRound},
        {"pbB13", {502, 255, 24, 24}, kLedRound}, {"pbB14", {502, 289, 24, 24}, kLedRound},
        {"pbD3", {240, 100, 12, 12}, kLedRound},  {"pbD4", {505, 100, 12, 12}, kLedRound},
        {"pbD13", {240, 120, 26, 25}, kLedRound}, {"pbD16", {307, 233, 26, 25}, kLedRound},
        {"pbD23", {500, 120, 26, 25}, kLedRound}, {"pbD26", {425, 233, 26, 25}, kLedRound},
        {"pbT1", {302, 73, 12, 12}, kLedSquare},  {"pbT2", {316, 73, 12, 12}, kLedSquare},
        {"pbT3", {331, 73, 12, 12}, kLedSquare},  {"pbT4", {346, 73, 12, 12}, kLedSquare},
        {"pbT5", {359, 73, 12, 12}, kLedSquare},  {"pbT6", {372, 73, 12, 12}, kLedSquare},
        {"pbT7", {386, 73, 12, 12}, kLedSquare},  {"pbT8", {400, 73, 12, 12}, kLedSquare},
        {"pbT9", {413, 73, 12, 12}, kLedSquare},  {"pbT10", {428, 73, 12, 12}, kLedSquare},
        {"pbT11", {443, 73, 12, 12}, kLedSquare}, {"pbTL1", {370, 240, 12, 12}, kLedSquare},
        {"pbTL2", {260, 65, 12, 12}, kLedSquare}, {"pbTL3", {256, 75, 12, 12}, kLedSquare},
        {"pbTR1", {495, 75, 12, 12}, kLedSquare}, {"pbTR2", {490, 65, 12, 12}, kLedSquare},
        {"pbTR3", {485, 55, 12, 12}, kLedSquare}, {"pbXL", {191, 28, 25, 25}, kLedRound},
        {"pbXR", {543, 28, 25, 25}, kLedRound},
    };
    for (const Spot& s : spots)
        add({s.name, "QPushButton", p2, s.rect, s.style, empty});
    add({"pbSetW", "QPushButton", p2, {720, 120, 24, 24}, swatch("255,255,255", "gray"), empty});
    add({"pbSetR", "QPushButton", p2, {720, 150, 24, 24}, swatch("255,0,0"), empty});
    add({"pbSet3", "QPushButton", p2, {720, 180, 24, 24}, swatch("255,85,0"), empty});
    add({"pbSet4", "QPushButton", p2, {720, 210, 24, 24}, swatch("255,255,0"), empty});
    add({"pbSetG", "QPushButton", p2, {720, 240, 24, 24}, swatch("0,255,0"), empty});
    add({"pbSet1", "QPushButton", p2, {720, 270, 24, 24}, swatch("0,170,255"), empty});
    add({"pbSetB", "QPushButton", p2, {720, 300, 24, 24}, swatch("0,0,255"), empty});
    add({"pbSet2", "QPushButton", p2, {720, 330, 24, 24}, swatch("255,0,255"), empty});
    add({"pbSetD", "QPushButton", p2, {720, 360, 24, 24}, swatch("0,0,0"), empty});

    // Paddles page
    const QString p3 = QStringLiteral("page3");
    const QString gc = QStringLiteral("gpClutch");
    const QString gs = QStringLiteral("gpShifter");
    add({p3, "QWidget", "stackedWidget", {}, kPage, {}});
    add({"cbClutch", "QRadioButton", p3, {50, 10, 251, 23}, kRadio, "ENABLE CLUTCHES", Font::Arial, Check::Off});
    add({"cbShifter",
         "QRadioButton",
         p3,
         {410, 10, 301, 23},
         kRadio,
         "ENABLE EXTRA SHIFTERS",
         Font::Arial,
         Check::Off});
    add({gc, "QGroupBox", p3, {50, 40, 661, 116}, kGroup, "CLUTCH BITE POINT", Font::Arial});
    add({"rbPadNo", "QRadioButton", gc, {50, 30, 112, 23}, kRadio, "DISABLE", Font::None, Check::Off});
    add({"rbPadL", "QRadioButton", gc, {50, 55, 112, 23}, kRadio, "LEFT", Font::None, Check::Off});
    add({"rbPadR", "QRadioButton", gc, {50, 80, 112, 23}, kRadio, "RIGHT", Font::None, Check::Off});
    add({"lbBiteS", "QLabel", gc, {260, 25, 171, 21}, kCaption, "BITE POINT", Font::None, Check::No, kLeft});
    add({"lbBite", "QLabel", gc, {440, 25, 181, 21}, kReadout, "50%", Font::Default, Check::No, kRight});
    add({"hsBite", "QSlider", gc, {259, 45, 371, 22}, kSlider, {}});
    add({"pbEncoder",
         "QPushButton",
         gc,
         {260, 70, 371, 31},
         kWideToggle,
         "ASSIGN ROTARY ENCODER",
         Font::ArialBold,
         Check::Off});
    add({gs, "QGroupBox", p3, {50, 170, 661, 191}, kGroup, "SHIFTERS", Font::Arial});
    add({"lbLShT",
         "QLabel",
         gs,
         {20, 35, 231, 21},
         kCaption,
         "LEFT SHIFTER THRESHOLD",
         Font::None,
         Check::No,
         kCentre});
    add({"lbRShT",
         "QLabel",
         gs,
         {20, 75, 231, 21},
         kCaption,
         "RIGHT SHIFTER THRESHOLD",
         Font::None,
         Check::No,
         kCentre});
    add({"lbLShT_2",
         "QLabel",
         gs,
         {20, 115, 231, 21},
         kCaption,
         "EXTRA L SHIFTER THRESHOLD",
         Font::None,
         Check::No,
         kCentre});
    add({"lbRShT_2",
         "QLabel",
         gs,
         {20, 155, 231, 21},
         kCaption,
         "EXTRA R SHIFTER THRESHOLD",
         Font::None,
         Check::No,
         kCentre});
    add({"pbBearLCa", "QPushButton", gs, {260, 30, 371, 31}, kWideToggle, "CALIBRATE", Font::None, Check::Off});
    add({"pbBearRCa", "QPushButton", gs, {260, 70, 371, 31}, kWideToggle, "CALIBRATE", Font::None, Check::Off});
    add({"pbBearExLCa", "QPushButton", gs, {260, 111, 371, 31}, kWideToggle, "CALIBRATE", Font::None, Check::Off});
    add({"pbBearExRCa", "QPushButton", gs, {260, 151, 371, 31}, kWideToggle, "CALIBRATE", Font::None, Check::Off});
    add({"pbSaveP", "QPushButton", p3, {300, 369, 161, 31}, kAction, "Save Setting", Font::ArialBold});

    // Device page
    const QString p4 = QStringLiteral("page4");
    add({p4, "QWidget", "stackedWidget", {}, kPage, {}});
    add({"label_4", "QLabel", p4, {50, 20, 151, 21}, kCaption, "FIRMWARE", Font::None, Check::No, kCentre});
    add({"lePath", "QLineEdit", p4, {200, 20, 421, 21}, kPathEdit, empty, Font::PathEdit});
    add({"pbPath", "QPushButton", p4, {630, 20, 31, 21}, kAction, "...", Font::ArialBold});
    add({"pbAutoUpgrade", "QPushButton", p4, {200, 60, 191, 31}, kAction, "CHECK UPDATE", Font::ArialBold});
    add({"pbUpgrade", "QPushButton", p4, {470, 60, 191, 31}, kAction, "MANUAL UPDATE", Font::ArialBold});
    add({"lbUpgrade", "QLabel", p4, {50, 110, 151, 21}, kCaption, "UPLOADING...", Font::None, Check::No, kCentre});
    add({"pgUpgrade", "QProgressBar", p4, {200, 110, 461, 21}, kUploadBar, {}, Font::UploadBar});
    add({"lbCurMd5", "QLabel", p4, {240, 150, 361, 21}, kReadout, empty, Font::Default, Check::No, kCentre});
    add({"pbClearFlash", "QPushButton", p4, {50, 280, 191, 31}, kAction, "CLEAR FLASH DATA", Font::ArialBold});
    add({"lbBTStatus", "QLabel", p4, {50, 330, 491, 21}, kCaption, "BLUETOOTH CONNECTED", Font::Arial});
    add({"lbBatStatus", "QLabel", p4, {50, 360, 491, 21}, kCaption, "BATTERY STATUS:", Font::Arial});
    add({"lbCurVersion", "QLabel", p4, {230, 360, 361, 21}, kReadout, empty, Font::Default, Check::No, kCentre});

    // About page
    const QString p5 = QStringLiteral("page5");
    add({p5, "QWidget", "stackedWidget", {}, kPage, {}});
    add({"label", "QLabel", p5, {180, 100, 400, 125}, kAbout, empty});
    add({"label_2",
         "QLabel",
         p5,
         {180, 240, 401, 20},
         kWebAddress,
         "www.tarvo.example",
         Font::ArialBold,
         Check::No,
         kCentre});
    add({"lbCurVer", "QLabel", p5, {0, 380, 371, 21}, kReadout, "TarvoSet Version: ", Font::Default});
    add({"lbVersion", "QLabel", p5, {380, 380, 371, 21}, kReadout, empty, Font::Default, Check::No, kCentre});

    add({"pbStatus", "QPushButton", cw, {790, 10, 24, 24}, kStatusLamp, empty});
    add({"pbMin", "QPushButton", cw, {830, 10, 24, 24}, kMin, empty});
    return t;
}

QString textOf(const QWidget* w)
{
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    return w->property("text").toString();
}

// Marks every string it is asked for, so a text that bypasses translation stays unmarked.
class MarkingTranslator : public QTranslator
{
public:
    QString translate(const char* context, const char* source, const char* = nullptr, int = -1) const override
    {
        return QStringLiteral("<%1>%2").arg(QLatin1String(context), QString::fromUtf8(source));
    }
    bool isEmpty() const override { return false; }
};

struct Form
{
    QMainWindow window;
    Ui::MainWindow ui;
    Form() { ui.setupUi(&window); }
};

} // namespace

class TestForm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Form> form;
    QWidget* widget(const QString& name)
    {
        const auto found = form->window.findChildren<QWidget*>(name);
        return found.size() == 1 ? found.first() : nullptr;
    }
    static void widgetColumns(const std::function<bool(const WidgetSpec&)>& keep);

private slots:
    void init() { form = std::make_unique<Form>(); }
    void cleanup() { form.reset(); }

    void widgets_data();
    void widgets();
    void fonts_data();
    void fonts();
    void checkState_data();
    void checkState();
    void labelAlignment_data();
    void labelAlignment();
    void texts_data();
    void texts();

    void noUnlistedWidgets();
    void creationOrder();
    void mainWindow();
    void fixedSize_data();
    void fixedSize();
    void pageStack();
    void sliders_data();
    void sliders();
    void progressBars_data();
    void progressBars();
    void singleProperties();
    void indicatorNumbers();
    void radioBehaviour_data();
    void radioBehaviour();
    void disabledSidebarLook();
};

void TestForm::widgetColumns(const std::function<bool(const WidgetSpec&)>& keep)
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cls");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("font");
    QTest::addColumn<int>("check");
    QTest::addColumn<int>("alignment");
    for (const WidgetSpec& s : formTable())
        if (keep(s))
            QTest::newRow(qPrintable(s.name)) << s.name << s.cls << s.parent << s.geometry << s.style << s.text
                                              << int(s.font) << int(s.check) << int(s.alignment);
}

void TestForm::widgets_data()
{
    widgetColumns([](const WidgetSpec&) { return true; });
}

void TestForm::widgets()
{
    QFETCH(QString, name);
    QFETCH(QString, cls);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, style);
    QFETCH(QString, text);

    QWidget* w = widget(name);
    QVERIFY2(w, "missing or not unique");
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), cls);
    QVERIFY(w->parentWidget());
    QCOMPARE(w->parentWidget()->objectName(), parent);
    if (!geometry.isNull())
        QCOMPARE(w->geometry(), geometry);
    QCOMPARE(w->styleSheet(), style);
    if (!text.isNull())
        QCOMPARE(textOf(w), text);
}

void TestForm::fonts_data()
{
    widgetColumns([](const WidgetSpec&) { return true; });
}

void TestForm::fonts()
{
    QFETCH(QString, name);
    QFETCH(int, font);
    QWidget* w = widget(name);
    QVERIFY(w);
    const QFont f = w->font();
    const QString appFamily = QApplication::font().family();
    const bool own = w->testAttribute(Qt::WA_SetFont);
    switch (Font(font)) {
    case Font::None:
    case Font::Default:
        // A default font object carries no settings of its own.
        QVERIFY2(!own, "unexpected font of its own");
        if (Font(font) == Font::Default) {
            QCOMPARE(f.family(), appFamily);
            QVERIFY(!f.bold());
        }
        break;
    case Font::Bold:
        QVERIFY(own);
        QCOMPARE(f.family(), appFamily);
        QCOMPARE(f.weight(), QFont::Bold);
        break;
    case Font::ArialBold:
        QVERIFY(own);
        QCOMPARE(f.family(), QStringLiteral("Arial"));
        QCOMPARE(f.weight(), QFont::Bold);
        break;
    case Font::Arial:
        QVERIFY(own);
        QCOMPARE(f.family(), QStringLiteral("Arial"));
        QCOMPARE(f.weight(), QFont::Normal);
        break;
    case Font::PathEdit:
        QVERIFY(own);
        QCOMPARE(f.family(), appFamily);
        QCOMPARE(f.pointSize(), 11);
        QCOMPARE(f.weight(), QFont::Normal);
        break;
    case Font::UploadBar:
        QVERIFY(own);
        QCOMPARE(f.family(), QStringLiteral("Arial"));
        QCOMPARE(f.pointSize(), 9);
        QCOMPARE(f.weight(), QFont::Normal);
        break;
    }
}

void TestForm::checkState_data()
{
    widgetColumns([](const WidgetSpec& s) {
        return s.cls == QLatin1String("QPushButton") || s.cls == QLatin1String("QRadioButton");
    });
}

void TestForm::checkState()
{
    QFETCH(QString, name);
    QFETCH(int, check);
    auto* b = qobject_cast<QAbstractButton*>(widget(name));
    QVERIFY(b);
    QCOMPARE(b->isCheckable(), Check(check) != Check::No);
    QCOMPARE(b->isChecked(), Check(check) == Check::On);
    // Only radio buttons exclude one another; the two switches on the paddle page do not.
    const bool exclusive =
        qobject_cast<QRadioButton*>(b) && name != QLatin1String("cbClutch") && name != QLatin1String("cbShifter");
    QCOMPARE(b->autoExclusive(), exclusive);
}

void TestForm::labelAlignment_data()
{
    widgetColumns([](const WidgetSpec& s) { return s.cls == QLatin1String("QLabel"); });
}

void TestForm::labelAlignment()
{
    QFETCH(QString, name);
    QFETCH(int, alignment);
    auto* l = qobject_cast<QLabel*>(widget(name));
    QVERIFY(l);
    QCOMPARE(int(l->alignment()), alignment);
}

void TestForm::texts_data()
{
    widgetColumns([](const WidgetSpec& s) { return !s.text.isNull(); });
}

// Every text goes through the translation call with the window's context; empty ones stay empty.
void TestForm::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, style);
    MarkingTranslator marker;
    QVERIFY(QCoreApplication::installTranslator(&marker));
    form->ui.retranslateUi(&form->window);
    QCoreApplication::removeTranslator(&marker);
    QWidget* w = widget(name);
    QVERIFY(w);
    QCOMPARE(textOf(w), text.isEmpty() ? QString() : QStringLiteral("<MainWindow>") + text);
    QCOMPARE(w->styleSheet(), style); // style sheets are not translatable text
    QCOMPARE(form->window.windowTitle(), QStringLiteral("<MainWindow>Tarvo Setting"));
}

void TestForm::noUnlistedWidgets()
{
    QSet<QString> listed;
    for (const WidgetSpec& s : formTable()) {
        QVERIFY2(!listed.contains(s.name), qPrintable(s.name));
        listed.insert(s.name);
    }
    QStringList extra;
    for (QWidget* w : form->window.findChildren<QWidget*>()) {
        const QString n = w->objectName();
        if (!n.startsWith(QLatin1String("qt_")) && !listed.contains(n))
            extra << (n.isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : n);
    }
    QVERIFY2(extra.isEmpty(), qPrintable(extra.join(u',')));
    QCOMPARE(form->window.findChildren<QWidget*>().size(), listed.size());
}

// Sibling order is the stacking order: the indicators lie above the picture, the lamp above the header.
void TestForm::creationOrder()
{
    QHash<QString, QStringList> expected;
    for (const WidgetSpec& s : formTable())
        if (s.parent != QLatin1String("stackedWidget")) // pages are checked by index
            expected[s.parent] << s.name;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QObject* parent = it.key() == QLatin1String("MainWindow") ? &form->window : widget(it.key());
        QVERIFY2(parent, qPrintable(it.key()));
        QStringList actual;
        for (QObject* c : parent->children())
            if (c->isWidgetType() && it.value().contains(c->objectName()))
                actual << c->objectName();
        QCOMPARE(actual, it.value());
    }
}

void TestForm::mainWindow()
{
    QMainWindow& w = form->window;
    QCOMPARE(w.objectName(), QStringLiteral("MainWindow"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Tarvo Setting"));
    QCOMPARE(w.styleSheet(), kWindow);
    QCOMPARE(w.size(), QSize(900, 500));
    QCOMPARE(w.minimumSize(), QSize(900, 500));
    QCOMPARE(w.maximumSize(), QSize(900, 500));
    QCOMPARE(w.sizeIncrement(), QSize(0, 0));
    QVERIFY(w.centralWidget());
    QCOMPARE(w.centralWidget()->objectName(), QStringLiteral("centralwidget"));
}

void TestForm::fixedSize_data()
{
    QTest::addColumn<QSize>("attempt");
    QTest::newRow("larger") << QSize(1200, 800);
    QTest::newRow("smaller") << QSize(300, 200);
    QTest::newRow("one wider") << QSize(901, 500);
    QTest::newRow("one lower") << QSize(900, 499);
    QTest::newRow("mixed") << QSize(100, 900);
}

void TestForm::fixedSize()
{
    QFETCH(QSize, attempt);
    form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form->window));
    form->window.resize(attempt);
    QCOMPARE(form->window.size(), QSize(900, 500));
    form->window.setGeometry(QRect(QPoint(10, 10), attempt));
    QCOMPARE(form->window.size(), QSize(900, 500));
}

void TestForm::pageStack()
{
    QStackedWidget* stack = form->ui.stackedWidget;
    QCOMPARE(stack->count(), 5);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(stack->widget(i)->objectName(), QStringLiteral("page%1").arg(i + 1));
    QCOMPARE(stack->currentIndex(), 0);
    QCOMPARE(stack->currentWidget(), form->ui.page1);
}

void TestForm::sliders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::newRow("hsTrigger") << "hsTrigger" << 40 << 240 << 100;
    QTest::newRow("hsBite") << "hsBite" << 0 << 100 << 50;
}

void TestForm::sliders()
{
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);
    auto* s = qobject_cast<QSlider*>(widget(name));
    QVERIFY(s);
    QCOMPARE(s->orientation(), Qt::Horizontal);
    QCOMPARE(s->minimum(), minimum);
    QCOMPARE(s->maximum(), maximum);
    QCOMPARE(s->value(), value);
}

void TestForm::progressBars_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("maximum");
    QTest::newRow("pgAdcL") << "pgAdcL" << 4096;
    QTest::newRow("pgAdcR") << "pgAdcR" << 4096;
    QTest::newRow("pgUpgrade") << "pgUpgrade" << 100;
}

void TestForm::progressBars()
{
    QFETCH(QString, name);
    QFETCH(int, maximum);
    auto* p = qobject_cast<QProgressBar*>(widget(name));
    QVERIFY(p);
    QCOMPARE(p->minimum(), 0);
    QCOMPARE(p->maximum(), maximum);
    QCOMPARE(p->value(), 0);
    QVERIFY(!p->isTextVisible());
}

void TestForm::singleProperties()
{
    const Ui::MainWindow& ui = form->ui;
    for (QPushButton* b : {ui.pbMin, ui.pbClose}) {
        QCOMPARE(b->iconSize(), QSize(16, 16));
        QVERIFY(!b->autoFillBackground());
    }
    QVERIFY(!ui.pgUpgrade->autoFillBackground());
    QVERIFY(!ui.lbMain->hasScaledContents());
    QVERIFY(ui.lePath->text().isEmpty());
}

// Indicators that share a rectangle are told apart only by their number.
void TestForm::indicatorNumbers()
{
    QSet<int> numbers;
    for (QPushButton* b : form->ui.page1->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        bool ok = false;
        const int n = b->text().toInt(&ok);
        if (!ok)
            continue;
        QVERIFY2(n >= 1 && n <= 50, qPrintable(b->objectName()));
        QVERIFY2(!numbers.contains(n), qPrintable(b->objectName()));
        numbers.insert(n);
        QVERIFY(!b->isCheckable());
    }
    QCOMPARE(numbers.size(), 50);
}

void TestForm::radioBehaviour_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QStringList>("unchecked");
    QTest::newRow("both switches on") << QStringList{"cbClutch", "cbShifter"} << QStringList{"cbClutch", "cbShifter"}
                                      << QStringList{"rbPadNo", "rbPadL", "rbPadR"};
    QTest::newRow("switch off again") << QStringList{"cbClutch", "cbShifter", "cbClutch"} << QStringList{"cbShifter"}
                                      << QStringList{"cbClutch"};
    QTest::newRow("paddle choice is exclusive")
        << QStringList{"rbPadL", "rbPadR"} << QStringList{"rbPadR"} << QStringList{"rbPadL", "rbPadNo"};
    QTest::newRow("paddle choice stays on")
        << QStringList{"rbPadNo", "rbPadNo"} << QStringList{"rbPadNo"} << QStringList{"rbPadL", "rbPadR"};
    QTest::newRow("switches and paddle choice independent")
        << QStringList{"cbClutch", "rbPadL", "cbShifter", "rbPadNo"} << QStringList{"cbClutch", "cbShifter", "rbPadNo"}
        << QStringList{"rbPadL", "rbPadR"};
}

void TestForm::radioBehaviour()
{
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, checked);
    QFETCH(QStringList, unchecked);
    for (const QString& n : clicks) {
        auto* b = qobject_cast<QAbstractButton*>(widget(n));
        QVERIFY2(b, qPrintable(n));
        b->click();
    }
    for (const QString& n : checked)
        QVERIFY2(qobject_cast<QAbstractButton*>(widget(n))->isChecked(), qPrintable(n));
    for (const QString& n : unchecked)
        QVERIFY2(!qobject_cast<QAbstractButton*>(widget(n))->isChecked(), qPrintable(n));
}

// The RGB button greys its caption when disabled; the other sidebar buttons keep white text.
void TestForm::disabledSidebarLook()
{
    form->window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form->window));
    QMainWindow* window = &form->window;
    auto brightest = [window](QWidget* w) {
        const QImage img = window->grab(QRect(w->mapTo(window, QPoint(0, 0)), w->size())).toImage();
        int best = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                best = qMax(best, qGray(img.pixel(x, y)));
        return best;
    };
    const Ui::MainWindow& ui = form->ui;
    for (QPushButton* b : {ui.pbS1, ui.pbS2, ui.pbS3, ui.pbS4})
        b->setEnabled(false);
    ui.pbS1->setChecked(false);
    if (brightest(ui.pbS3) < 200)
        QSKIP("no text rendered on this platform");
    for (QPushButton* b : {ui.pbS1, ui.pbS3, ui.pbS4})
        QVERIFY2(brightest(b) > 240, qPrintable(b->objectName()));
    const int grey = brightest(ui.pbS2);
    QVERIFY2(grey > 112 && grey < 160, qPrintable(QString::number(grey)));
}

QTEST_MAIN(TestForm)
#include "tst_form.moc"
