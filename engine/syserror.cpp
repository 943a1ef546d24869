#include "engine/syserror.h"

#include <cerrno>

namespace velm {

std::string systemErrorText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return "アクセスが許可されていません";
    case ENOENT: return "ファイルまたはフォルダがありません";
    case ENOSPC: return "ディスクの空きが足りません";
    case EDQUOT: return "ディスクの使用量の上限を超えました";
    case EROFS: return "読み取り専用の場所です";
    case EISDIR: return "フォルダです";
    case ENOTDIR: return "途中の名前がフォルダではありません";
    case EEXIST: return "同じ名前のものが既にあります";
    case ENAMETOOLONG: return "名前が長すぎます";
    case ELOOP: return "シンボリックリンクが循環しています";
    case EMFILE:
    case ENFILE: return "開いているファイルが多すぎます";
    case EIO: return "ディスクの読み書きに失敗しました";
    case EXDEV: return "別のディスクへは移せません";
    case EBUSY:
    case ETXTBSY: return "ほかのプログラムが使用中です";
    case EFBIG: return "ファイルが大きすぎます";
    case ENOMEM: return "メモリが足りません";
    case EINVAL: return "この場所では使えない名前か操作です";
    case EAGAIN: return "一時的に使えません";
    default: return "システムエラー " + std::to_string(error);
    }
}

std::string systemErrorText(const std::error_code &code)
{
    if (code.category() == std::system_category() || code.category() == std::generic_category())
        return systemErrorText(code.value());
    return code.message();
}

} // namespace velm
