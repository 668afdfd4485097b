#pragma once
// The interface texts the screens and the application show, by their number in the language
// table. Where a text opens a run of numbered texts (one per page or per language), the
// screen adds the offset to the named first one.

namespace likenex {

// Dialogs and questions.
inline constexpr int kTextDialogTitle = 115;
inline constexpr int kTextConfirmQuit = 501;
inline constexpr int kTextNoConnection = 455;
inline constexpr int kTextUpToDate = 450;
inline constexpr int kTextUpToDateTitle = 451;
inline constexpr int kTextOk = 111;

// The main frame, the language window and the About window.
inline constexpr int kTextChooseLanguage = 402;
inline constexpr int kTextVersion = 400;
inline constexpr int kTextUpdate = 401;
inline constexpr int kTextHelp = 486;

// The editor screen.
inline constexpr int kTextNoAction = 500;
inline constexpr int kTextTooLong = 475;
inline constexpr int kTextStartOver = 484;
inline constexpr int kTextOutfitPrice = 940;
inline constexpr int kTextPageTitle = 900;  // + page
inline constexpr int kTextPageHelp = 910;   // + page
inline constexpr int kTextSkin = 920;
inline constexpr int kTextColour = 921;
inline constexpr int kTextEyes = 922;
inline constexpr int kTextMouth = 923;
inline constexpr int kTextActions = 924;
inline constexpr int kTextScript = 925;
inline constexpr int kTextWords = 926;
inline constexpr int kTextLength = 927;
// Said when the script's captions would make the upload too large for one message.
inline constexpr int kTextTooLargeToUpload = 950;
// The preview's menu and the avatar code's messages in the help band.
inline constexpr int kTextMenuCopyCode = 960;
inline constexpr int kTextMenuPasteCode = 961;
inline constexpr int kTextMenuRandomFigure = 962;
inline constexpr int kTextMenuRandomPage = 963;
inline constexpr int kTextCodeOnClipboard = 964;
inline constexpr int kTextNotACode = 965;
inline constexpr int kTextDamagedCode = 966;
inline constexpr int kTextNewerCode = 967;
inline constexpr int kTextLeftOut = 968;
inline constexpr int kTextNoCode = 969;

// The upload page.
inline constexpr int kTextNoTitle = 473;
inline constexpr int kTextGuest = 512;
inline constexpr int kTextRejected = 454;
inline constexpr int kTextRefused = 457;
inline constexpr int kTextPriceQuestionTitle = 941;
inline constexpr int kTextPriceQuestion = 942;
inline constexpr int kTextExplain = 452;
inline constexpr int kTextExplainMore = 474;
inline constexpr int kTextExplainTitle = 453;
inline constexpr int kTextRegister = 446;
inline constexpr int kTextForgotten = 112;
inline constexpr int kTextUnconfirmed = 951;
inline constexpr int kTextRestrict = 469;
inline constexpr int kTextChoiceA = 514;
inline constexpr int kTextChoiceB = 470;
inline constexpr int kTextChoiceC = 471;
inline constexpr int kTextRemember = 472;

// The picture screen, and the upload page's account link.
inline constexpr int kTextPayment = 413;
inline constexpr int kTextCopied = 456;
inline constexpr int kTextChatFailed = 502;
inline constexpr int kTextUseAsChatPicture = 504;
inline constexpr int kTextBackToEditor = 509;
inline constexpr int kTextChatCaption = 503;
inline constexpr int kTextReplay = 422;
inline constexpr int kTextStored = 485;
inline constexpr int kTextStoredCode = 970;
inline constexpr int kTextStoredCodeCopied = 971;

}  // namespace likenex
