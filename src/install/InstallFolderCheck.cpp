#include "install/InstallFolderCheck.h"

#include "install/CheckExistDir.h"
#include "payload/FreeSpace.h"
#include "install/ProductFolder.h"
#include "payload/GetLhaFile.h"

namespace {

constexpr char kNoFolderText[] = "インストール先を入力して下さい";
constexpr char kNoFolderCaption[] = "未記入";
constexpr char kFolderBecomes[] = "インストール先は%sに成ります";
constexpr char kConfirmCaption[] = "確認";
constexpr char kWarningCaption[] = "警告";
constexpr char kNoPayloadSize[] = "リソース取得エラーが発生しました。処理を中止します";
constexpr char kFolderWillBeMade[] = "新しくディレクトリを作成します";
constexpr char kNotEnoughSpace[] = "ディスクの空き容量が足りません。処理を中止します";

}  // namespace

int CheckInstallFolder(cInstallFolderUi* ui, const cInstallFolderFields& fields) {
  if (!ui || !ui->Page()) return 0;
  HWND page = ui->Page();

  char text[MAX_PATH] = {};
  ui->ReadFolderText(text, MAX_PATH);
  if (!text[0]) {
    ui->FocusFolderText();
    MessageBoxA(page, kNoFolderText, kNoFolderCaption, MB_OK);
    return 0;
  }
  morstd::cMorString folder;
  folder.Assign(text);
  if (AppendProductFolder(&folder)) {
    ui->WriteFolderText(folder.GetData());
    morstd::cMorString message;
    message.Format(kFolderBecomes, folder.GetData());
    MessageBoxA(page, message.GetData(), kConfirmCaption, MB_OK);
  }
  fields.installDir.Assign(folder.GetData());

  ui->ShowDiskNotice();
  cGetLhaFile ownPayload;
  cGetLhaFile& payload = fields.payload ? *fields.payload : ownPayload;
  payload.HoldPayload();
  DWORD total[2] = {};
  const int measured = payload.GetPayloadSize(total);
  fields.memberCount = payload.memberCount;
  if (!measured) {
    // The program is closing: going on to the next page (or asking about the folder)
    // would only put more in front of the closing window.
    MessageBoxA(page, kNoPayloadSize, kWarningCaption, MB_ICONQUESTION);
    ui->CloseProgram();
    return 0;
  }
  fields.requiredBytes = (static_cast<uint64_t>(total[1]) << 32) | total[0];
  Sleep(kDiskNoticeMinimumMs);
  GetFreeSpace(fields.installDir.GetData(), &fields.freeBytes);

  if (fields.freeBytes < fields.requiredBytes) {
    // No installation follows: the plaintext goes at once.
    payload.ReleasePayload();
    // The notice stays: it goes with the page when the program closes.
    MessageBoxA(page, kNotEnoughSpace, kWarningCaption, MB_ICONQUESTION);
    ui->CloseProgram();
    return 0;
  }
  ui->CloseDiskNotice();
  if (CheckExistDir(fields.installDir.GetData(), kCheckOnly) < 0) {
    fields.createInstallDir = 0;
  } else {
    MessageBoxA(page, kFolderWillBeMade, kConfirmCaption, MB_OK);
    fields.createInstallDir = 1;
  }
  return 1;
}
