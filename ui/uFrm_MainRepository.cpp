// The repository commands (Tags 4 to 9), the pairs grid, the rename group and the close question.
#include "ui/uFrm_Main.h"

void Tfrm_Main::InsertLine() { }
void Tfrm_Main::DeleteLines() { }
void Tfrm_Main::OpenRepositoryData() { }
void Tfrm_Main::CopyRepositoryData() { }
void Tfrm_Main::NewRepositoryData() { }
void Tfrm_Main::SaveRepositoryData() { }
