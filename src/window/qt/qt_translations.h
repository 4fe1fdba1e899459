#pragma once

class QCoreApplication;

namespace fragtally {

// Qt's own texts in Russian, like the program's: the buttons of a question
// ("Да", "Нет"), the file dialog, the context menus. Taken from Qt's
// translations where the system installed them; false when there are none
// (the texts stay English).
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace fragtally
