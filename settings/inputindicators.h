// Which indicator on the INPUTS page shows which wheel input, and which input pairs
// are the two turning directions of one rotary control.
#pragma once

#include "settings/encoderpairs.h"
#include "ui_mainwindow.h"

#include <QString>
#include <array>

class QPushButton;

struct InputIndicator
{
    int input; // counted from 0; the button's text is input + 1
    const char* name; // object name in the form
    QPushButton* Ui::MainWindow::*widget;
};

// Inputs 0 to 49 in ascending order; inputs 50 to 63 have no indicator.
constexpr int kIndicatedInputs = 50;

// clang-format off
constexpr std::array<InputIndicator, kIndicatedInputs> inputIndicators = {{
    {0, "pbIB1", &Ui::MainWindow::pbIB1},     {1, "pbISW1", &Ui::MainWindow::pbISW1},
    {2, "pbID5L", &Ui::MainWindow::pbID5L},   {3, "pbID5R", &Ui::MainWindow::pbID5R},
    {4, "pbID1L", &Ui::MainWindow::pbID1L},   {5, "pbID1R", &Ui::MainWindow::pbID1R},
    {6, "pbIB2", &Ui::MainWindow::pbIB2},     {7, "pbIB6", &Ui::MainWindow::pbIB6},
    {8, "pbJsL1", &Ui::MainWindow::pbJsL1},   {9, "pbJsL2", &Ui::MainWindow::pbJsL2},
    {10, "pbJsL3", &Ui::MainWindow::pbJsL3},  {11, "pbJsL4", &Ui::MainWindow::pbJsL4},
    {12, "pbJsLC", &Ui::MainWindow::pbJsLC},  {13, "pbJsLL", &Ui::MainWindow::pbJsLL},
    {14, "pbJsLR", &Ui::MainWindow::pbJsLR},  {15, "pbIB5", &Ui::MainWindow::pbIB5},
    {16, "pbID7L", &Ui::MainWindow::pbID7L},  {17, "pbID7R", &Ui::MainWindow::pbID7R},
    {18, "pbID3L", &Ui::MainWindow::pbID3L},  {19, "pbID3R", &Ui::MainWindow::pbID3R},
    {20, "pbIB3", &Ui::MainWindow::pbIB3},    {21, "pbIB4", &Ui::MainWindow::pbIB4},
    {22, "pbIBarR", &Ui::MainWindow::pbIBarR}, {23, "pbSWL", &Ui::MainWindow::pbSWL},
    {24, "pbID8L", &Ui::MainWindow::pbID8L},  {25, "pbID8R", &Ui::MainWindow::pbID8R},
    {26, "pbID4L", &Ui::MainWindow::pbID4L},  {27, "pbID4R", &Ui::MainWindow::pbID4R},
    {28, "pbIB11", &Ui::MainWindow::pbIB11},  {29, "pbIB12", &Ui::MainWindow::pbIB12},
    {30, "pbIBarL", &Ui::MainWindow::pbIBarL}, {31, "pbSWR", &Ui::MainWindow::pbSWR},
    {32, "pbIB9", &Ui::MainWindow::pbIB9},    {33, "pbISW2", &Ui::MainWindow::pbISW2},
    {34, "pbID6L", &Ui::MainWindow::pbID6L},  {35, "pbID6R", &Ui::MainWindow::pbID6R},
    {36, "pbID2L", &Ui::MainWindow::pbID2L},  {37, "pbID2R", &Ui::MainWindow::pbID2R},
    {38, "pbIB10", &Ui::MainWindow::pbIB10},  {39, "pbIB13", &Ui::MainWindow::pbIB13},
    {40, "pbJsR1", &Ui::MainWindow::pbJsR1},  {41, "pbJsR2", &Ui::MainWindow::pbJsR2},
    {42, "pbJsR3", &Ui::MainWindow::pbJsR3},  {43, "pbJsR4", &Ui::MainWindow::pbJsR4},
    {44, "pbJsRC", &Ui::MainWindow::pbJsRC},  {45, "pbJsRL", &Ui::MainWindow::pbJsRL},
    {46, "pbJsRR", &Ui::MainWindow::pbJsRR},  {47, "pbIB14", &Ui::MainWindow::pbIB14},
    {48, "pbIExR", &Ui::MainWindow::pbIExR},  {49, "pbIExL", &Ui::MainWindow::pbIExL},
}};
// clang-format on

// The status tips that record an indicator's last state: lit, and turned off.
const QString& shownTip();
const QString& hiddenTip();
