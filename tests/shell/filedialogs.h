// Driving the common file dialogs as a user would: type a name, choose a
// type, press a button, read what the added controls show.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The name box (an edit, or the edit of a combo box in some dialogs).
HWND FileNameBox(HWND dialog);
void TypeFileName(HWND dialog, const std::string& name);
// The types the type list offers, in order.
std::vector<std::string> FileTypes(HWND dialog);
// Chooses type index (0-based) as a click in the list would.
void ChooseFileType(HWND dialog, int index);
// A button of the dialog or of its added template, clicked.
void ClickButton(HWND dialog, int id);
// The control with id in the dialog or in its added template.
HWND FindDialogControl(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);
// True for a common file dialog (it has a type list).
bool IsFileDialog(HWND dialog);
// Saves a picture of the window to the tests' output folder (when set).
void ScreenshotToOutput(HWND window, const std::string& name);
