#include "corpus.h"

namespace {

Corpus english() {
  Corpus c;
  c.titles = {
      "Software Update", "Network Settings",   "Privacy and Security", "Display",
      "Notifications",   "Keyboard Shortcuts", "Storage Management",   "About This Computer"};
  c.messages = {"A new version is ready to install.",
                "Your changes will be lost if you close this window.",
                "The file could not be saved because the disk is full.",
                "Restart the application to finish the update.",
                "Do you want to keep the downloaded files?",
                "The connection to the server timed out.",
                "Enter your password to allow this change.",
                "This document was modified by another user."};
  c.buttons = {"Cancel", "OK", "Install Now", "Later", "Save", "Don't Save", "Retry", "Continue"};
  c.sidebar = {"General", "Appearance",  "Wi-Fi", "Bluetooth", "Battery",  "Sound",
               "Focus",   "Screen Time", "Users", "Passwords", "Printers", "Trackpad"};
  c.settings = {"Automatic updates",
                "Show battery percentage",
                "Night Shift",
                "Font size",
                "Default browser",
                "Recent items",
                "Allow notifications",
                "Auto-lock",
                "Language & Region",
                "Time zone",
                "Sharing",
                "Backup disk"};
  c.values = {"On",           "Off",       "Medium",   "Never",   "10 items",       "5 minutes",
              "English (US)", "Automatic", "Shanghai", "2.4 GHz", "Version 14.2.1", "128 GB free"};
  c.prose = {"The quick brown fox jumps over the lazy dog near the river bank.",
             "Please read the following terms carefully before you continue.",
             "Each release fixes known problems and improves stability.",
             "Files that are moved to the trash are deleted after thirty days.",
             "You can change these settings at any time in the preferences.",
             "Meeting notes: review the budget and plan the next quarter.",
             "Copies of your data are stored on two separate servers.",
             "Open the menu, choose Export, then select a folder for the file.",
             "The report covers sales from January through March 2024.",
             "Contact support if the problem persists after a restart."};
  c.sansFamily = "DejaVu Sans";
  c.serifFamily = "DejaVu Serif";
  return c;
}

Corpus simplified() {
  Corpus c;
  c.titles = {"软件更新", "网络设置",   "隐私与安全性", "显示器",
              "通知",     "键盘快捷键", "存储空间管理", "关于本机"};
  c.messages = {"新版本已准备好安装。",       "如果关闭此窗口，您的更改将会丢失。",
                "磁盘已满，无法保存该文件。", "请重新启动应用程序以完成更新。",
                "是否保留已下载的文件？",     "与服务器的连接已超时。",
                "请输入密码以允许此项更改。", "此文稿已被其他用户修改。"};
  c.buttons = {"取消", "好", "立即安装", "稍后", "保存", "不保存", "重试", "继续"};
  c.sidebar = {"通用",     "外观",         "无线局域网", "蓝牙", "电池",   "声音",
               "专注模式", "屏幕使用时间", "用户与群组", "密码", "打印机", "触控板"};
  c.settings = {"自动更新",   "显示电池百分比", "夜览",     "字体大小",
                "默认浏览器", "最近使用的项目", "允许通知", "自动锁定",
                "语言与地区", "时区",           "共享",     "备份磁盘"};
  c.values = {"打开",     "关闭", "中等", "永不",   "十个项目", "五分钟",
              "简体中文", "自动", "上海", "已连接", "版本十四", "可用空间充足"};
  c.prose = {
      "今天的会议主要讨论下个季度的预算和计划。",       "请在继续之前仔细阅读以下条款。",
      "每次发布都会修复已知问题并提高稳定性。",         "移到废纸篓的文件将在三十天后删除。",
      "您可以随时在偏好设置中更改这些选项。",           "数据的副本存储在两台不同的服务器上。",
      "打开菜单，选择导出，然后为文件选择一个文件夹。", "本报告涵盖一月至三月的销售情况。",
      "如果重新启动后问题仍然存在，请联系技术支持。",   "春天来了，公园里的花都开了。"};
  c.sansFamily = "Noto Sans CJK SC";
  c.serifFamily = "Noto Serif CJK SC";
  return c;
}

Corpus traditional() {
  Corpus c;
  c.titles = {"軟體更新", "網路設定",   "隱私權與安全性", "顯示器",
              "通知",     "鍵盤快速鍵", "儲存空間管理",   "關於這台電腦"};
  c.messages = {"新版本已準備好安裝。",       "如果關閉此視窗，您的變更將會遺失。",
                "磁碟已滿，無法儲存該檔案。", "請重新啟動應用程式以完成更新。",
                "是否保留已下載的檔案？",     "與伺服器的連線已逾時。",
                "請輸入密碼以允許此項變更。", "此文件已被其他使用者修改。"};
  c.buttons = {"取消", "好", "立即安裝", "稍後", "儲存", "不儲存", "重試", "繼續"};
  c.sidebar = {"一般",     "外觀",         "無線網路",     "藍牙", "電池",   "聲音",
               "專注模式", "螢幕使用時間", "使用者與群組", "密碼", "印表機", "觸控式軌跡板"};
  c.settings = {"自動更新",   "顯示電池百分比", "夜覽",     "字體大小",
                "預設瀏覽器", "最近使用的項目", "允許通知", "自動鎖定",
                "語言與地區", "時區",           "共享",     "備份磁碟"};
  c.values = {"開啟",     "關閉", "中等", "永不",   "十個項目", "五分鐘",
              "繁體中文", "自動", "臺北", "已連線", "版本十四", "可用空間充足"};
  c.prose = {
      "今天的會議主要討論下一季的預算與計畫。",         "請在繼續之前仔細閱讀以下條款。",
      "每次發行都會修正已知問題並提升穩定性。",         "移到垃圾桶的檔案將在三十天後刪除。",
      "您可以隨時在偏好設定中更改這些選項。",           "資料的副本儲存在兩台不同的伺服器上。",
      "打開選單，選擇輸出，然後為檔案選擇一個資料夾。", "本報告涵蓋一月至三月的銷售情況。",
      "如果重新啟動後問題仍然存在，請聯絡技術支援。",   "春天來了，公園裡的花都開了。"};
  c.sansFamily = "Noto Sans CJK TC";
  c.serifFamily = "Noto Serif CJK TC";
  return c;
}

Corpus mixed() {
  Corpus c;
  c.titles = {"macOS 软件更新", "Wi-Fi 设置", "iCloud 云盘", "App Store 购买记录",
              "Safari 浏览器",  "VPN 配置",   "USB 设备",    "Apple ID 账户"};
  c.messages = {"正在下载 macOS 14.2 更新。",           "请连接 Wi-Fi 网络后重试。",
                "文件 report.pdf 已保存到桌面。",       "已用 3.2 GB，共 128 GB。",
                "蓝牙键盘 Magic Keyboard 已连接。",     "下载速度 12 MB/s，剩余 5 分钟。",
                "请在 Settings 中打开 Location 权限。", "版本 2.4.1 修复了 PDF 导出问题。"};
  c.buttons = {"取消 Cancel", "OK 好", "安装 Install", "稍后",
               "保存 PDF",    "重试",  "打开 App",     "继续"};
  c.sidebar = {"通用",      "Wi-Fi",         "蓝牙 Bluetooth", "VPN",
               "iCloud",    "声音",          "Siri 与搜索",    "Touch ID 与密码",
               "App Store", "FaceTime 通话", "AirDrop",        "Dock 与菜单栏"};
  c.settings = {"DNS 服务器", "IP 地址",  "HTTP 代理",    "自动下载 App 更新",
                "USB 配件",   "HDR 视频", "2FA 双重认证", "CPU 使用率",
                "Wi-Fi 频段", "PIN 码",   "SSH 远程登录", "GPU 加速"};
  c.values = {"192.168.1.1", "已启用 On", "5 GHz",        "50%",    "关闭 Off", "自动 Auto",
              "8.8.8.8",     "ABC-123",   "中文 Chinese", "v1.2.3", "16 GB",    "10 分钟"};
  c.prose = {
      "我们在 2024 年发布了 Version 3.0 版本。",      "请访问 support.example.com 获取帮助。",
      "使用 Python 和 C++ 编写的工具运行速度很快。",  "文件大小约为 25 MB，格式为 PNG。",
      "会议时间改为周三下午 3:30 (UTC+8)。",          "在 Terminal 中输入 ls -la 查看文件。",
      "这台 MacBook Pro 配备 M3 芯片和 16 GB 内存。", "点击 Export 按钮，将数据导出为 CSV。",
      "新版 API 支持 JSON 和 XML 两种格式。",         "本周共处理 1,024 个订单，增长 12%。"};
  c.sansFamily = "Noto Sans CJK SC";
  c.serifFamily = "Noto Serif CJK SC";
  return c;
}

}  // namespace

const Corpus& corpusFor(Script script) {
  static const Corpus kEnglish = english();
  static const Corpus kSimplified = simplified();
  static const Corpus kTraditional = traditional();
  static const Corpus kMixed = mixed();
  switch (script) {
    case Script::English:
      return kEnglish;
    case Script::Simplified:
      return kSimplified;
    case Script::Traditional:
      return kTraditional;
    case Script::Mixed:
      return kMixed;
  }
  return kEnglish;
}

QString scriptName(Script script) {
  switch (script) {
    case Script::English:
      return "en";
    case Script::Simplified:
      return "hans";
    case Script::Traditional:
      return "hant";
    case Script::Mixed:
      return "mixed";
  }
  return "en";
}
