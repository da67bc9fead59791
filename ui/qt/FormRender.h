#pragma once

#include "platform/forms/Form.h"

#include <QImage>
#include <string>

namespace foliant::qt {

// Draws a form's client area as a person would see it (every control whose own Visible flag
// is set), without showing a window on screen. Works under QT_QPA_PLATFORM=offscreen.
QImage RenderForm(forms::Form& form);
// RenderForm written as a PNG file; false when the file could not be written.
bool SaveFormPng(forms::Form& form, const std::string& path);

} // namespace foliant::qt
