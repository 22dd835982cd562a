<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW">
<context>
    <name>Alias</name>
    <message>
        <source>Alias [%1] exists already: alias %2 cannot take its name.</source>
        <translation>KVR別名[%1]已存在，無法將KVR別名%2更改為此名稱。</translation>
    </message>
    <message>
        <source>%1 is too long to save: at most %2 bytes, it has %3. No field was written.</source>
        <translation>%1太長，無法存檔（最多 %2 個位元組，現為 %3 個）。未寫入任何欄位。</translation>
    </message>
</context>
<context>
    <name>ConnectionTest</name>
    <message>
        <source>No server name was given.</source>
        <translation>未輸入伺服器名稱。</translation>
    </message>
    <message>
        <source>The port in the server name &quot;%1&quot; is not a number from 1 to 65535.</source>
        <translation>伺服器名稱「%1」中的連接埠不是 1 到 65535 之間的數字。</translation>
    </message>
    <message>
        <source>The server name &quot;%1&quot; names no host.</source>
        <translation>伺服器名稱「%1」沒有指出主機。</translation>
    </message>
    <message>
        <source>No server name was given. Fill in the server name: host, host,port or host\instance.</source>
        <translation>未輸入伺服器名稱。請在「伺服器名稱」填入：主機、主機,連接埠 或 主機\執行個體。</translation>
    </message>
    <message>
        <source>The server was not found: its name does not resolve, or the network does not reach it. Check the server name and the network.</source>
        <translation>找不到伺服器：無法解析此名稱，或網路無法連到它。請檢查伺服器名稱與網路。</translation>
    </message>
    <message>
        <source>The server machine refused the connection: nothing listens at that port. Check the port number, and that SQL Server is running and accepts TCP/IP connections.</source>
        <translation>伺服器主機拒絕連線：該連接埠沒有服務在接聽。請檢查連接埠號碼，並確認 SQL Server 正在執行且接受 TCP/IP 連線。</translation>
    </message>
    <message>
        <source>The server did not answer within the time allowed. Check the server name and port, and whether a firewall drops the connection.</source>
        <translation>伺服器未在時限內回應。請檢查伺服器名稱與連接埠，以及防火牆是否擋下連線。</translation>
    </message>
    <message>
        <source>The server refused the login. Check the user name and the password, and that the server allows SQL Server logins.</source>
        <translation>伺服器拒絕登入。請檢查使用者帳號與密碼，並確認伺服器允許 SQL Server 驗證登入。</translation>
    </message>
    <message>
        <source>No user name was given, so a Windows (integrated) login was tried, and it failed. Give a user name and password.</source>
        <translation>未輸入使用者帳號，因此改用 Windows（整合式）驗證登入，但登入失敗。請輸入使用者帳號與密碼。</translation>
    </message>
    <message>
        <source>The user name and password were accepted, but the database cannot be opened: it does not exist on this server, or this login may not use it (SQL Server error 4060). Check the database name and the login&apos;s rights.</source>
        <translation>帳號與密碼已被接受，但無法開啟資料庫：此伺服器上沒有這個資料庫，或此登入帳號無權使用它（SQL Server 錯誤 4060）。請檢查資料庫名稱與帳號權限。</translation>
    </message>
    <message>
        <source>The server broke off the connection while settling encryption: one side requires encryption that the other cannot provide. Check the server&apos;s encryption setting and this machine&apos;s.</source>
        <translation>伺服器在協商加密時中斷連線：一方要求加密，另一方無法配合。請檢查伺服器與本機的加密設定。</translation>
    </message>
    <message>
        <source>The named SQL Server instance was not found: the SQL Server Browser (UDP port 1434) on that machine did not report it. Check the instance name, or give the port instead (host,port).</source>
        <translation>找不到指定的 SQL Server 執行個體：該主機上的 SQL Server Browser（UDP 連接埠 1434）沒有回報它。請檢查執行個體名稱，或改用連接埠（主機,連接埠）。</translation>
    </message>
    <message>
        <source>The connection failed for the reason the driver gives below.</source>
        <translation>連線失敗，原因請見下方驅動程式的訊息。</translation>
    </message>
    <message>
        <source>The server refused the Windows account named below: the connection logged in as the Windows user running this program, not with the user name and password typed here. Give that account a login on the server, or run the program as a Windows user that has one.</source>
        <translation>伺服器拒絕下方所列的 Windows 帳號：此連線是以執行本程式的 Windows 使用者登入，而不是以此處輸入的使用者帳號與密碼。請在伺服器上為該帳號建立登入，或改以具有登入權限的 Windows 使用者執行本程式。</translation>
    </message>
    <message>
        <source>The connection string gives %1 the value &quot;%2&quot;; it must be true or false.</source>
        <translation>連線字串給 %1 的值是「%2」；此值必須是 true 或 false。</translation>
    </message>
    <message>
        <source>The connection string gives %1 the value &quot;%2&quot;; it must be a number of seconds.</source>
        <translation>連線字串給 %1 的值是「%2」；此值必須是秒數。</translation>
    </message>
    <message>
        <source>The connection string holds &quot;%1&quot; without &quot;=&quot; and a value.</source>
        <translation>連線字串中的「%1」沒有「=」與值。</translation>
    </message>
    <message>
        <source>The connection string holds a value without a key.</source>
        <translation>連線字串中有一個沒有鍵名的值。</translation>
    </message>
    <message>
        <source>The value of %1 in the connection string has no closing quote.</source>
        <translation>連線字串中 %1 的值缺少結尾的引號。</translation>
    </message>
    <message>
        <source>The quoted value of %1 in the connection string is followed by more text.</source>
        <translation>連線字串中 %1 加上引號的值後面還有其他文字。</translation>
    </message>
    <message>
        <source>FreeTDS gave no reason.</source>
        <translation>FreeTDS 未提供原因。</translation>
    </message>
    <message>
        <source>FreeTDS&apos;s DB-Library could not be started.</source>
        <translation>無法啟動 FreeTDS 的 DB-Library。</translation>
    </message>
    <message>
        <source>FreeTDS could not prepare a login.</source>
        <translation>FreeTDS 無法準備登入。</translation>
    </message>
    <message>
        <source>The user name is too long: FreeTDS sends at most %1 bytes of it, this one has %2 (in UTF-8).</source>
        <translation>使用者帳號太長：FreeTDS 最多只傳送 %1 個位元組，此帳號有 %2 個（以 UTF-8 計）。</translation>
    </message>
    <message>
        <source>The password is too long: FreeTDS sends at most %1 bytes of it, this one has %2 (in UTF-8).</source>
        <translation>密碼太長：FreeTDS 最多只傳送 %1 個位元組，此密碼有 %2 個（以 UTF-8 計）。</translation>
    </message>
    <message>
        <source>The database name is too long: FreeTDS sends at most %1 bytes of it, this one has %2 (in UTF-8).</source>
        <translation>資料庫名稱太長：FreeTDS 最多只傳送 %1 個位元組，此名稱有 %2 個（以 UTF-8 計）。</translation>
    </message>
    <message>
        <source>The server opened the database &quot;%1&quot; instead of &quot;%2&quot;.</source>
        <translation>伺服器開啟的是資料庫「%1」，而不是「%2」。</translation>
    </message>
    <message>
        <source>The connection string names no provider; only SQLOLEDB is supported.</source>
        <translation>連線字串未指定提供者；只支援 SQLOLEDB。</translation>
    </message>
    <message>
        <source>The provider &quot;%1&quot; is not supported; only SQLOLEDB is.</source>
        <translation>不支援提供者「%1」；只支援 SQLOLEDB。</translation>
    </message>
</context>
<context>
    <name>FileError</name>
    <message>
        <source>an unknown user</source>
        <translation>不明的使用者</translation>
    </message>
    <message>
        <source>Permission denied: this user may not write %1, which belongs to %2.</source>
        <translation>權限不足：此使用者無權寫入 %1（擁有者為 %2）。</translation>
    </message>
    <message>
        <source>Permission denied: this user may not read %1, which belongs to %2.</source>
        <translation>權限不足：此使用者無權讀取 %1（擁有者為 %2）。</translation>
    </message>
    <message>
        <source>%1 is read-only: nobody may write it until it is given write permission.</source>
        <translation>%1 是唯讀的：在開放寫入權限之前，任何人都無法寫入。</translation>
    </message>
    <message>
        <source>The folder %1 does not exist.</source>
        <translation>資料夾 %1 不存在。</translation>
    </message>
    <message>
        <source>%1 is not a regular file: a folder or a device.</source>
        <translation>%1 不是一般檔案，而是資料夾或裝置。</translation>
    </message>
    <message>
        <source>The disk that holds %1 is full.</source>
        <translation>%1 所在的磁碟已滿。</translation>
    </message>
    <message>
        <source>Another program keeps %1 locked.</source>
        <translation>其他程式鎖住了 %1。</translation>
    </message>
    <message>
        <source>Another program keeps %1 locked: it was still locked after %2 seconds of waiting.</source>
        <translation>其他程式鎖住了 %1：等候 %2 秒後仍未解除。</translation>
    </message>
    <message>
        <source>%1 belongs to another user or group, which a rewrite would take from them.</source>
        <translation>%1 屬於其他使用者或群組，改寫會奪去他們的擁有權。</translation>
    </message>
</context>
<context>
    <name>MainForm</name>
    <message>
        <source>Work directory: %1</source>
        <translation>工作目錄：%1</translation>
    </message>
    <message>
        <source>The work directory could not be published in the registry (HKEY_LOCAL_MACHINE\SOFTWARE\KVRPath): that needs an administrator. The aliases can be edited all the same</source>
        <translation>無法將工作目錄登錄到登錄檔（HKEY_LOCAL_MACHINE\SOFTWARE\KVRPath）：這需要系統管理員權限。仍可照常編輯KVR別名</translation>
    </message>
    <message>
        <source>The fields of alias [%1] have changed. Save them first?</source>
        <translation>KVR別名[%1]的欄位已修改，是否先存檔？</translation>
    </message>
    <message>
        <source>Unsaved changes</source>
        <translation>尚未存檔</translation>
    </message>
    <message>
        <source>Another program has changed alias [%1] since it was loaded. Overwrite its fields with the ones shown?</source>
        <translation>其他程式在載入後已修改KVR別名[%1]，是否以畫面上的內容覆蓋？</translation>
    </message>
    <message>
        <source>Alias changed elsewhere</source>
        <translation>KVR別名已被其他程式修改</translation>
    </message>
    <message>
        <source>Alias [%1] no longer exists: another program deleted or renamed it. Nothing was saved.</source>
        <translation>KVR別名[%1]已不存在：已被其他程式刪除或改名。未存檔。</translation>
    </message>
    <message>
        <source>Alias [%1] no longer exists: another program deleted or renamed it. It was not renamed.</source>
        <translation>KVR別名[%1]已不存在：已被其他程式刪除或改名。未更改名稱。</translation>
    </message>
    <message>
        <source>An alias name cannot hold a line break or another control character (this one holds %1). Alias %2 was not renamed.</source>
        <translation>KVR別名不可含有換行或其他控制字元（此名稱含有 %1）。KVR別名%2未更改。</translation>
    </message>
    <message>
        <source>An alias name cannot hold a line break or another control character (this one holds %1). No alias was added.</source>
        <translation>KVR別名不可含有換行或其他控制字元（此名稱含有 %1）。未新增KVR別名。</translation>
    </message>
    <message>
        <source>An alias cannot be named %1: that is the name of the tree&apos;s root. Alias %2 was not renamed.</source>
        <translation>KVR別名不可命名為 %1：這是樹狀清單根節點的名稱。KVR別名%2未更改。</translation>
    </message>
    <message>
        <source>An alias cannot be named %1: that is the name of the tree&apos;s root. No alias was added.</source>
        <translation>KVR別名不可命名為 %1：這是樹狀清單根節點的名稱。未新增KVR別名。</translation>
    </message>
    <message>
        <source>Some text of alias [%1] is not in the machine&apos;s code page (%2) and cannot be shown: it shows as %3. Fields you leave as they are keep their stored text when you save. When the file was written under another code page, an administrator converts it with &quot;kvrcfg recode --to &lt;code page&gt; --from &lt;other code page&gt;&quot;, or sets the machine&apos;s code page back with &quot;kvrcodepage &lt;other code page&gt;&quot;.</source>
        <translation>KVR別名[%1]有部分文字不屬於本機的字碼頁（%2），無法顯示，以 %3 代替。存檔時，未修改的欄位會保留原本儲存的內容。若檔案是在其他字碼頁下寫入的，系統管理員可用「kvrcfg recode --to &lt;字碼頁&gt; --from &lt;原字碼頁&gt;」轉換檔案，或用「kvrcodepage &lt;原字碼頁&gt;」將本機的字碼頁改回。</translation>
    </message>
    <message>
        <source>%1 holds the character %2, which the machine&apos;s code page (%3) cannot store. Nothing was saved.</source>
        <translation>%1含有字元 %2，本機的字碼頁（%3）無法儲存此字元。未存檔。</translation>
    </message>
    <message>
        <source>The alias name [%1] holds the character %2, which the machine&apos;s code page (%3) cannot store. No alias was added.</source>
        <translation>KVR別名[%1]含有字元 %2，本機的字碼頁（%3）無法儲存此字元。未新增KVR別名。</translation>
    </message>
    <message>
        <source>The alias name [%1] holds the character %2, which the machine&apos;s code page (%3) cannot store. Alias %4 was not renamed.</source>
        <translation>KVR別名[%1]含有字元 %2，本機的字碼頁（%3）無法儲存此字元。KVR別名%4未更改。</translation>
    </message>
    <message>
        <source>An alias name holds at most %1 bytes and cannot begin or end with a blank. Alias %2 was not renamed.</source>
        <translation>KVR別名最多 %1 個位元組，且開頭與結尾不可為空白。KVR別名%2未更名。</translation>
    </message>
    <message>
        <source>An alias name holds at most %1 bytes and cannot begin or end with a blank. No alias was added.</source>
        <translation>KVR別名最多 %1 個位元組，且開頭與結尾不可為空白。未新增KVR別名。</translation>
    </message>
    <message>
        <source>Another program renamed alias [%1] to [%2].</source>
        <translation>其他程式已將KVR別名[%1]更名為[%2]。</translation>
    </message>
    <message>
        <source>Another program deleted alias [%1].</source>
        <translation>其他程式已刪除KVR別名[%1]。</translation>
    </message>
    <message>
        <source>Keep the fields typed here as alias [%1] again?</source>
        <translation>要將此處輸入的欄位重新存為KVR別名[%1]嗎？</translation>
    </message>
    <message>
        <source>Another program renamed alias [%1] to [%2]. Keep the fields typed here as alias [%1] again?</source>
        <translation>其他程式已將KVR別名[%1]更名為[%2]。要將此處輸入的欄位重新存為KVR別名[%1]嗎？</translation>
    </message>
    <message>
        <source>Another program deleted alias [%1]. Keep the fields typed here as alias [%1] again?</source>
        <translation>其他程式已刪除KVR別名[%1]。要將此處輸入的欄位重新存為KVR別名[%1]嗎？</translation>
    </message>
</context>
<context>
    <name>kvrcfg</name>
    <message>
        <source>Other programs keep changing %1.</source>
        <translation>其他程式不斷修改 %1。</translation>
    </message>
    <message>
        <source>Alias [%1] is repeated; it was exported once.</source>
        <translation>KVR別名[%1]重複出現，只匯出一次。</translation>
    </message>
    <message>
        <source>Alias [%1] exists already and was left alone (--replace overwrites it).</source>
        <translation>KVR別名[%1]已存在，未變更（--replace 可覆蓋）。</translation>
    </message>
    <message>
        <source>%1 added, %2 replaced, %3 left alone.</source>
        <translation>新增 %1 個，取代 %2 個，未變更 %3 個。</translation>
    </message>
    <message>
        <source>The machine&apos;s code page (ACP in %1) is unknown here; the system&apos;s is used.</source>
        <translation>本機的字碼頁（%1 中的 ACP）在此無法使用；改用系統的字碼頁。</translation>
    </message>
    <message>
        <source>the machine&apos;s registry</source>
        <translation>本機的登錄檔</translation>
    </message>
    <message>
        <source>Alias [%1] does not exist.</source>
        <translation>KVR別名[%1]不存在。</translation>
    </message>
    <message>
        <source>Alias [%1] exists already.</source>
        <translation>KVR別名[%1]已存在。</translation>
    </message>
    <message>
        <source>An alias name cannot be empty</source>
        <translation>KVR別名不可為空白</translation>
    </message>
    <message>
        <source>An alias name cannot hold a line break or another control character; [%1] does</source>
        <translation>KVR別名不可含有換行或其他控制字元；[%1] 含有</translation>
    </message>
    <message>
        <source>An alias cannot be named %1: that is the name of the tree&apos;s root</source>
        <translation>KVR別名不可命名為 %1：這是樹狀清單根節點的名稱</translation>
    </message>
    <message>
        <source>%1: the character &quot;%2&quot; cannot be stored in the machine&apos;s code page (%3)</source>
        <translation>%1：字元「%2」無法以本機的字碼頁（%3）儲存</translation>
    </message>
    <message>
        <source>An alias name cannot begin or end with a blank</source>
        <translation>KVR別名的開頭與結尾不可為空白</translation>
    </message>
    <message>
        <source>An alias name holds at most %1 bytes; this one has %2</source>
        <translation>KVR別名最多 %1 個位元組，此名稱有 %2 個</translation>
    </message>
    <message>
        <source>success</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>failure</source>
        <translation>失敗</translation>
    </message>
    <message>
        <source> (check: nothing written)</source>
        <translation>（檢查：未寫入任何內容）</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>不明的命令「%1」</translation>
    </message>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 需要一個值</translation>
    </message>
    <message>
        <source>--dir needs a folder</source>
        <translation>--dir 需要一個資料夾</translation>
    </message>
    <message>
        <source>option %1 before the command</source>
        <translation>選項 %1 位於命令之前</translation>
    </message>
    <message>
        <source>unknown option %1 for &apos;%2&apos;</source>
        <translation>「%2」沒有選項 %1</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>未指定命令</translation>
    </message>
    <message>
        <source>&apos;%1&apos; takes %2 argument, %3 given</source>
        <translation>「%1」需要 %2 個引數，但提供了 %3 個</translation>
    </message>
    <message>
        <source>&apos;%1&apos; takes %2 arguments, %3 given</source>
        <translation>「%1」需要 %2 個引數，但提供了 %3 個</translation>
    </message>
    <message>
        <source>Cannot open folder %1</source>
        <translation>無法開啟資料夾 %1。</translation>
    </message>
    <message>
        <source>--password-stdin: no line on standard input</source>
        <translation>--password-stdin：標準輸入中沒有任何一行</translation>
    </message>
    <message>
        <source>the password</source>
        <translation>密碼</translation>
    </message>
    <message>
        <source>Password: </source>
        <translation>密碼：</translation>
    </message>
    <message>
        <source>--password-prompt: no terminal to ask on (use --password-stdin)</source>
        <translation>--password-prompt：沒有可供詢問的終端機（請改用 --password-stdin）</translation>
    </message>
    <message>
        <source>--password-stdin and --password-prompt exclude each other</source>
        <translation>--password-stdin 與 --password-prompt 不可同時使用</translation>
    </message>
    <message>
        <source>&apos;set&apos; needs at least one of --database, --server, --user, --password-*</source>
        <translation>「set」至少需要 --database、--server、--user、--password-* 其中之一</translation>
    </message>
    <message>
        <source>the new name</source>
        <translation>新名稱</translation>
    </message>
    <message>
        <source>--timeout takes a whole number of seconds, 1 or more</source>
        <translation>--timeout 須為 1 以上的整數秒數</translation>
    </message>
    <message>
        <source>%1 takes a whole number from 1 to %2</source>
        <translation>%1 須為 1 到 %2 之間的整數</translation>
    </message>
    <message>
        <source>%1: there is no code page %2 here</source>
        <translation>%1：本機沒有字碼頁 %2</translation>
    </message>
    <message>
        <source>recode needs --to CODEPAGE</source>
        <translation>recode 需要 --to 字碼頁</translation>
    </message>
    <message>
        <source>--jobs goes with --all</source>
        <translation>--jobs 只能與 --all 一起使用</translation>
    </message>
    <message>
        <source>%1 (see kvrcfg --help)</source>
        <translation>%1（請參閱 kvrcfg --help）</translation>
    </message>
    <message>
        <source>There is no code page %1 here</source>
        <translation>本機沒有字碼頁 %1</translation>
    </message>
    <message>
        <source>A field does not decode: %1</source>
        <translation>有欄位無法解碼：%1</translation>
    </message>
    <message>
        <source>the alias name</source>
        <translation>KVR別名</translation>
    </message>
    <message>
        <source>%1 tested, %2 connected, %3 failed in %4 ms, %5 at a time</source>
        <translation>測試 %1 個，連線成功 %2 個，失敗 %3 個，共 %4 ms，每次 %5 個</translation>
    </message>
</context>
<context>
    <name>kvrcfg apply</name>
    <message>
        <source>no change</source>
        <translation>沒有變更</translation>
    </message>
    <message>
        <source>%1 added, %2 changed, %3 deleted</source>
        <translation>新增 %1 個，修改 %2 個，刪除 %3 個</translation>
    </message>
</context>
<context>
    <name>kvrcfg check</name>
    <message>
        <source>the editor lists &quot;%1&quot; as an alias, but this line opens no section</source>
        <translation>編輯器把「%1」列為KVR別名，但這一行並未開始一個區段</translation>
    </message>
    <message>
        <source>the profile reader ignores this line (no &quot;=&quot;)</source>
        <translation>設定檔讀取程式會略過這一行（沒有「=」）</translation>
    </message>
    <message>
        <source>the profile reader ignores this line (before the first section)</source>
        <translation>設定檔讀取程式會略過這一行（位於第一個區段之前）</translation>
    </message>
    <message>
        <source>%1 repeated; readers use the first</source>
        <translation>%1 重複出現；讀取時只用第一個</translation>
    </message>
    <message>
        <source>the editor lists this alias as &quot;%1&quot; and cannot find its section by that name</source>
        <translation>編輯器把這個KVR別名列為「%1」，但以此名稱找不到它的區段</translation>
    </message>
    <message>
        <source>the alias&apos;s header is repeated (first at line %1); readers use only the first section</source>
        <translation>這個KVR別名的標頭重複出現（第一次在第 %1 行）；讀取時只用第一個區段</translation>
    </message>
    <message>
        <source>the name is not valid text in code page %1</source>
        <translation>名稱不是字碼頁 %1 的有效文字</translation>
    </message>
    <message>
        <source>the name is the tree&apos;s root text; the editor cannot edit or delete it</source>
        <translation>名稱與樹狀清單根節點相同；編輯器無法編輯或刪除它</translation>
    </message>
    <message>
        <source>the stored text has %1 characters; readers get only the first %2</source>
        <translation>儲存的文字有 %1 個字元；讀取時只取得前 %2 個</translation>
    </message>
    <message>
        <source>does not decode (%1)</source>
        <translation>無法解碼（%1）</translation>
    </message>
    <message>
        <source>the value has %1 bytes (at most %2)</source>
        <translation>值有 %1 個位元組（最多 %2 個）</translation>
    </message>
    <message>
        <source>the value is not valid text in code page %1</source>
        <translation>值不是字碼頁 %1 的有效文字</translation>
    </message>
    <message>
        <source>the section has only its header (added, never saved)</source>
        <translation>這個區段只有標頭（已新增，從未存檔）</translation>
    </message>
    <message>
        <source>does not decode (its length items are not hex: it reads as empty)</source>
        <translation>無法解碼（長度項目不是十六進位，讀出為空值）</translation>
    </message>
</context>
<context>
    <name>kvrcfg import</name>
    <message>
        <source>line %1, column %2</source>
        <translation>第 %1 行第 %2 欄</translation>
    </message>
    <message>
        <source>%1 nests deeper than %2 levels at %3</source>
        <translation>%1 在%3的巢狀結構超過 %2 層。</translation>
    </message>
    <message>
        <source>%1 is not JSON: unexpected text at %2</source>
        <translation>%1 不是 JSON：%2有非預期的文字。</translation>
    </message>
    <message>
        <source>%1 is not JSON: text that is not UTF-8 at %2</source>
        <translation>%1 不是 JSON：%2有不是 UTF-8 的文字。</translation>
    </message>
    <message>
        <source>%1 is not JSON: the file ends inside a value at %2</source>
        <translation>%1 不是 JSON：檔案在%2的值中途結束。</translation>
    </message>
    <message>
        <source>%1 is not JSON we can read: a number is out of range</source>
        <translation>%1 不是可讀取的 JSON：有數字超出範圍。</translation>
    </message>
    <message>
        <source>%1: the aliases must be a JSON array</source>
        <translation>%1：KVR別名清單必須是 JSON 陣列</translation>
    </message>
    <message>
        <source>%1: format version %2 is unknown; this kvrcfg reads version 1</source>
        <translation>%1：不明的格式版本 %2；此 kvrcfg 只能讀取版本 1</translation>
    </message>
    <message>
        <source>%1: no &quot;aliases&quot;</source>
        <translation>%1：沒有「aliases」</translation>
    </message>
    <message>
        <source>%1 is larger than an import may be (%2 MB)</source>
        <translation>%1 超過匯入檔案的大小上限（%2 MB）。</translation>
    </message>
    <message>
        <source>%1: alias %2</source>
        <translation>%1：第 %2 個KVR別名</translation>
    </message>
    <message>
        <source>%1: expected an object with a &quot;name&quot;</source>
        <translation>%1：應為含有「name」的物件</translation>
    </message>
    <message>
        <source>%1 name</source>
        <translation>%1的名稱</translation>
    </message>
    <message>
        <source>%1: the name has %2 bytes; at most %3</source>
        <translation>%1：名稱有 %2 個位元組；最多 %3 個</translation>
    </message>
    <message>
        <source>%1 appears twice</source>
        <translation>%1重複出現</translation>
    </message>
    <message>
        <source>%1: unknown member &quot;%2&quot;</source>
        <translation>%1：不明的成員「%2」</translation>
    </message>
    <message>
        <source>%1: the password is masked; export with --reveal to import</source>
        <translation>%1：密碼已遮蔽；請以 --reveal 匯出後再匯入</translation>
    </message>
</context>
<context>
    <name>kvrcfg recode</name>
    <message>
        <source>name</source>
        <translation>名稱</translation>
    </message>
    <message>
        <source>%1: not text in code page %2; nothing written</source>
        <translation>%1：不是字碼頁 %2 的文字；未寫入任何內容</translation>
    </message>
    <message>
        <source>%1: the character &quot;%2&quot; cannot be stored in code page %3; nothing written</source>
        <translation>%1：字元「%2」無法以字碼頁 %3 儲存；未寫入任何內容</translation>
    </message>
    <message>
        <source>%1: %2 bytes in code page %3 (at most %4); nothing written</source>
        <translation>%1：在字碼頁 %3 中有 %2 個位元組（最多 %4 個）；未寫入任何內容</translation>
    </message>
    <message>
        <source>%1 names and %2 values recoded from %3 to %4</source>
        <translation>已將 %1 個名稱與 %2 個值從 %3 轉換為 %4</translation>
    </message>
    <message>
        <source> (%1 values grew past what their stored stamp shows and took a new one)</source>
        <translation>（%1 個值超過其儲存標記所記載的長度，已換用新的標記）</translation>
    </message>
</context>
<context>
    <name>kvrcodepage</name>
    <message>
        <source>Usage: kvrcodepage [--dir DIR]... [--force] [CODE-PAGE]
Shows the machine&apos;s code page, or sets it (for example 950 or 65001).
Before setting it, checks the alias file of the published work directory and of every DIR,
and refuses when its aliases would no longer read correctly; --force sets it all the same.</source>
        <translation>用法：kvrcodepage [--dir 資料夾]... [--force] [字碼頁]
顯示本機的字碼頁，或設定它（例如 950 或 65001）。
設定前會檢查已登錄之工作目錄及每個 --dir 資料夾中的KVR別名檔，
若其中的KVR別名將無法正確讀取，則拒絕變更；加上 --force 則仍然設定。</translation>
    </message>
    <message>
        <source>%1, from %2</source>
        <translation>%1，取自 %2</translation>
    </message>
    <message>
        <source>%1 is not a code page of this machine; the locale&apos;s character set %2 is used</source>
        <translation>%1 不是本機支援的字碼頁；改用地區設定的字元集 %2</translation>
    </message>
    <message>
        <source>not set in %1; the locale&apos;s character set %2 is used</source>
        <translation>%1 中未設定；使用地區設定的字元集 %2</translation>
    </message>
    <message>
        <source>kvrcodepage: %1KVRCFG would no longer read correctly under code page %2: %3. Convert it first with
  kvrcfg --dir %4 recode --to %5 --from %6
or give --force to set the code page all the same.</source>
        <translation>kvrcodepage：%1KVRCFG 在字碼頁 %2 下將無法正確讀取：%3。請先以下列指令轉換檔案：
  kvrcfg --dir %4 recode --to %5 --from %6
或加上 --force 仍然設定字碼頁。</translation>
    </message>
    <message>
        <source>kvrcodepage: %1 is not a code page of this machine</source>
        <translation>kvrcodepage：%1 不是本機支援的字碼頁</translation>
    </message>
    <message>
        <source>kvrcodepage: cannot write %1</source>
        <translation>kvrcodepage：無法寫入 %1</translation>
    </message>
</context>
<context>
    <name>launcher</name>
    <message>
        <source>it is not a folder path of this system</source>
        <translation>這不是本系統的資料夾路徑</translation>
    </message>
    <message>
        <source>it does not exist</source>
        <translation>它不存在</translation>
    </message>
    <message>
        <source>it is not a folder</source>
        <translation>它不是資料夾</translation>
    </message>
    <message>
        <source>you may not enter it</source>
        <translation>您沒有進入它的權限</translation>
    </message>
    <message>
        <source>it cannot be entered (%1)</source>
        <translation>無法進入它（%1）</translation>
    </message>
    <message>
        <source>Kavrolis cannot start in the work directory this machine publishes for its aliases (KVRPath in %1):

%2

The reason: %3.

</source>
        <translation>Kavrolis 無法在本機為KVR別名登錄的工作目錄中啟動（%1 中的 KVRPath）：

%2

原因：%3。

</translation>
    </message>
    <message>
        <source>Ask the administrator for access to that folder, for example membership in its group; log in again afterwards.</source>
        <translation>請向系統管理員取得該資料夾的存取權，例如加入它的群組；之後請重新登入。</translation>
    </message>
    <message>
        <source>If the aliases now live in another folder, publish that folder once: kvrcfg --dir FOLDER publish (as root or as a member of the group kavrolis).</source>
        <translation>若KVR別名已移到其他資料夾，請將該資料夾登錄一次：kvrcfg --dir 資料夾 publish（以 root 或 kavrolis 群組成員的身分執行）。</translation>
    </message>
</context>
</TS>
