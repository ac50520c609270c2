#pragma once
// Application-wide set-up shared by the program and its window tests.
class QApplication;

namespace qvc {

/// Sets the application's title ("Conversão de Arquivos") and installs Qt's own Brazilian-Portuguese translation.
void SetUpApplication(QApplication &app);

} // namespace qvc
