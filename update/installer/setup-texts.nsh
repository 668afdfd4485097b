; The setup's and the uninstaller's own texts in the editor's five languages; Modern UI brings
; the texts of its pages. $0 is the installed version where a text names one.

LangString startEditor ${LANG_ENGLISH} "Start Likenex"
LangString startEditor ${LANG_TRADCHINESE} "啟動 Likenex"
LangString startEditor ${LANG_SIMPCHINESE} "启动 Likenex"
LangString startEditor ${LANG_JAPANESE} "Likenex を起動する"
LangString startEditor ${LANG_FRENCH} "Lancer Likenex"

LangString desktopShortcut ${LANG_ENGLISH} "Desktop shortcut"
LangString desktopShortcut ${LANG_TRADCHINESE} "桌面捷徑"
LangString desktopShortcut ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString desktopShortcut ${LANG_JAPANESE} "デスクトップのショートカット"
LangString desktopShortcut ${LANG_FRENCH} "Raccourci sur le Bureau"

LangString programDescription ${LANG_ENGLISH} "The editor, its updater and its data, with a shortcut in the Start menu."
LangString programDescription ${LANG_TRADCHINESE} "編輯器、更新程式與資料檔，並在「開始」功能表建立捷徑。"
LangString programDescription ${LANG_SIMPCHINESE} "编辑器、更新程序和数据文件，并在“开始”菜单中创建快捷方式。"
LangString programDescription ${LANG_JAPANESE} "エディター、アップデーター、データ ファイルをインストールし、スタート メニューにショートカットを作成します。"
LangString programDescription ${LANG_FRENCH} "L'éditeur, son programme de mise à jour et ses données, avec un raccourci dans le menu Démarrer."

LangString desktopDescription ${LANG_ENGLISH} "A shortcut to Likenex on your desktop."
LangString desktopDescription ${LANG_TRADCHINESE} "在桌面上建立 Likenex 的捷徑。"
LangString desktopDescription ${LANG_SIMPCHINESE} "在桌面上创建 Likenex 的快捷方式。"
LangString desktopDescription ${LANG_JAPANESE} "デスクトップに Likenex のショートカットを作成します。"
LangString desktopDescription ${LANG_FRENCH} "Un raccourci vers Likenex sur le Bureau."

LangString editorRunning ${LANG_ENGLISH} "Likenex is running. Close it, then click Retry to go on, or Cancel to stop."
LangString editorRunning ${LANG_TRADCHINESE} "Likenex 正在執行中。請先關閉它，再按「重試」繼續；按「取消」則停止。"
LangString editorRunning ${LANG_SIMPCHINESE} "Likenex 正在运行。请先关闭它，然后单击“重试”继续；单击“取消”则停止。"
LangString editorRunning ${LANG_JAPANESE} "Likenex が実行中です。Likenex を終了してから [再試行] をクリックしてください。中止するには [キャンセル] をクリックします。"
LangString editorRunning ${LANG_FRENCH} "Likenex est en cours d'exécution. Fermez-le, puis cliquez sur Réessayer pour continuer, ou sur Annuler pour arrêter."

LangString editorStillRunning ${LANG_ENGLISH} "Likenex is still running, so nothing was changed. Close it and run this program again."
LangString editorStillRunning ${LANG_TRADCHINESE} "Likenex 仍在執行中，因此未做任何變更。請關閉它後再執行一次本程式。"
LangString editorStillRunning ${LANG_SIMPCHINESE} "Likenex 仍在运行，因此未做任何更改。请关闭它后重新运行本程序。"
LangString editorStillRunning ${LANG_JAPANESE} "Likenex が実行中のため、何も変更しませんでした。Likenex を終了してから、もう一度このプログラムを実行してください。"
LangString editorStillRunning ${LANG_FRENCH} "Likenex est toujours en cours d'exécution ; rien n'a été modifié. Fermez-le, puis relancez ce programme."

LangString newerInstalled ${LANG_ENGLISH} "A newer Likenex (version $0) is installed for this account. Replace it with version ${VERSION}?"
LangString newerInstalled ${LANG_TRADCHINESE} "此帳戶已安裝較新版本的 Likenex（版本 $0）。要以版本 ${VERSION} 取代它嗎？"
LangString newerInstalled ${LANG_SIMPCHINESE} "此帐户已安装较新版本的 Likenex（版本 $0）。要用版本 ${VERSION} 替换它吗？"
LangString newerInstalled ${LANG_JAPANESE} "このアカウントには新しいバージョンの Likenex (バージョン $0) がインストールされています。バージョン ${VERSION} で置き換えますか?"
LangString newerInstalled ${LANG_FRENCH} "Une version plus récente de Likenex (version $0) est installée sur ce compte. Voulez-vous la remplacer par la version ${VERSION} ?"

LangString newerKept ${LANG_ENGLISH} "Likenex version $0 is installed, which is newer than this setup's version ${VERSION}; nothing was changed."
LangString newerKept ${LANG_TRADCHINESE} "已安裝的 Likenex 版本 $0 比本安裝程式的版本 ${VERSION} 新，因此未做任何變更。"
LangString newerKept ${LANG_SIMPCHINESE} "已安装的 Likenex 版本 $0 比本安装程序的版本 ${VERSION} 新，因此未做任何更改。"
LangString newerKept ${LANG_JAPANESE} "インストール済みの Likenex (バージョン $0) はこのセットアップのバージョン ${VERSION} より新しいため、何も変更しませんでした。"
LangString newerKept ${LANG_FRENCH} "La version $0 de Likenex déjà installée est plus récente que celle de ce programme d'installation (${VERSION}) ; rien n'a été modifié."

LangString keepPictures ${LANG_ENGLISH} "Keep the pictures you exported from Likenex (in $INSTDIR\photo)?$\r$\n$\r$\nClick No to delete them."
LangString keepPictures ${LANG_TRADCHINESE} "要保留您從 Likenex 匯出的圖片嗎？（位於 $INSTDIR\photo）$\r$\n$\r$\n按「否」會將它們刪除。"
LangString keepPictures ${LANG_SIMPCHINESE} "要保留您从 Likenex 导出的图片吗？（位于 $INSTDIR\photo）$\r$\n$\r$\n单击“否”将删除这些图片。"
LangString keepPictures ${LANG_JAPANESE} "Likenex からエクスポートした画像 ($INSTDIR\photo) を残しますか?$\r$\n$\r$\n[いいえ] をクリックすると削除されます。"
LangString keepPictures ${LANG_FRENCH} "Voulez-vous conserver les images exportées depuis Likenex (dans $INSTDIR\photo) ?$\r$\n$\r$\nCliquez sur Non pour les supprimer."

LangString folderKept ${LANG_ENGLISH} "$INSTDIR holds other files, so the folder was left in place."
LangString folderKept ${LANG_TRADCHINESE} "$INSTDIR 中還有其他檔案，因此保留了該資料夾。"
LangString folderKept ${LANG_SIMPCHINESE} "$INSTDIR 中还有其他文件，因此保留了该文件夹。"
LangString folderKept ${LANG_JAPANESE} "$INSTDIR には他のファイルがあるため、フォルダーは残しました。"
LangString folderKept ${LANG_FRENCH} "Le dossier $INSTDIR contient d'autres fichiers ; il a été conservé."
