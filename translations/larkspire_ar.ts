<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ar_EG">
<context>
    <name></name>
    <message id="Not Enough Space">
        <source></source>
        <translation>لا توجد مساحة كافية</translation>
    </message>
    <message id="You don't have enough storage left to download this resource.">
        <source></source>
        <translation>لا توجد مساحة تخزين كافية لتنزيل هذا المحتوى.</translation>
    </message>
    <message id="OK">
        <source></source>
        <translation>حسنًا</translation>
    </message>
    <message id="We won't be long!">
        <source></source>
        <translation>لن نتأخر!</translation>
    </message>
    <message id="Parental Gate Disabled">
        <source></source>
        <translation>تم إيقاف بوابة الوالدين</translation>
    </message>
    <message id="You now have full access to the App">
        <source></source>
        <translation>لديك الآن وصول كامل إلى التطبيق</translation>
    </message>
    <message id="Parental Gate Remains Active">
        <source></source>
        <translation>بوابة الوالدين ما زالت مفعّلة</translation>
    </message>
    <message id="Sorry you entered the wrong answer">
        <source></source>
        <translation>عذرًا، الإجابة غير صحيحة</translation>
    </message>
    <message id="Cancel">
        <source></source>
        <translation>إلغاء</translation>
    </message>
    <message id="PARENTAL GATE: 12 x 7 = ?">
        <source></source>
        <translation>بوابة الوالدين: ١٢ × ٧ = ؟</translation>
    </message>
    <message id="PARENTAL GATE: 85 - 37 = ?">
        <source></source>
        <translation>بوابة الوالدين: ٨٥ − ٣٧ = ؟</translation>
    </message>
    <message id="PARENTAL GATE: 68 + 57 = ?">
        <source></source>
        <translation>بوابة الوالدين: ٦٨ + ٥٧ = ؟</translation>
    </message>
    <message id="Enter your answer">
        <source></source>
        <translation>أدخل إجابتك</translation>
    </message>
    <message id="Music downloading!">
        <source></source>
        <translation>جارٍ تنزيل الموسيقى!</translation>
    </message>
    <message id="Now playing: %1">
        <source></source>
        <translation>يُشغَّل الآن: %1</translation>
    </message>
    <message id="bytes">
        <source></source>
        <translation>بايت</translation>
    </message>
    <message id="kB">
        <source></source>
        <translation>ك.ب</translation>
    </message>
    <message id="MB">
        <source></source>
        <translation>م.ب</translation>
    </message>
    <message id="GB">
        <source></source>
        <translation>ج.ب</translation>
    </message>
    <message id="TB">
        <source></source>
        <translation>ت.ب</translation>
    </message>
    <message id="Captions on every video: %1">
        <source></source>
        <translation>الترجمة في كل فيديو: %1</translation>
    </message>
    <message id="On">
        <source></source>
        <translation>مفعّل</translation>
    </message>
    <message id="Off">
        <source></source>
        <translation>معطّل</translation>
    </message>
    <message id="Free space on this disk: %1">
        <source></source>
        <translation>المساحة الحرة على هذا القرص: %1</translation>
    </message>
    <message id="unknown">
        <source></source>
        <translation>غير معروف</translation>
    </message>
    <message id="Remove %1">
        <source></source>
        <translation>إزالة %1</translation>
    </message>
    <message id="On this machine: %1">
        <source></source>
        <translation>على هذا الجهاز: %1</translation>
    </message>
    <message id="Downloading %1">
        <source></source>
        <translation>جارٍ تنزيل %1</translation>
    </message>
    <message id="Downloading: %1%">
        <source></source>
        <translation>جارٍ التنزيل: %1٪</translation>
    </message>
    <message id="Retry %1">
        <source></source>
        <translation>إعادة تنزيل %1</translation>
    </message>
    <message id="Could not download: %1">
        <source></source>
        <translation>تعذّر التنزيل: %1</translation>
    </message>
    <message id="Download %1">
        <source></source>
        <translation>تنزيل %1</translation>
    </message>
    <message id="Not downloaded">
        <source></source>
        <translation>غير مُنزَّل</translation>
    </message>
    <message id="Remove from this machine?">
        <source></source>
        <translation>إزالة من هذا الجهاز؟</translation>
    </message>
    <message id="%1: this frees %2. They can be downloaded again later.">
        <source></source>
        <translation>%1: سيحرّر هذا %2. يمكن تنزيلها مجددًا لاحقًا.</translation>
    </message>
    <message id="Remove">
        <source></source>
        <translation>إزالة</translation>
    </message>
    <message id="Not removed">
        <source></source>
        <translation>لم تتم الإزالة</translation>
    </message>
    <message id="%1 stayed on this machine: %2.">
        <source></source>
        <translation>بقيت %1 على هذا الجهاز: %2.</translation>
    </message>
    <message id="Story downloading!">
        <source></source>
        <translation>جارٍ تنزيل القصة!</translation>
    </message>
    <message id="Back">
        <source></source>
        <translation>رجوع</translation>
    </message>
    <message id="Chapters 13 to 16">
        <source></source>
        <translation>الفصول من ١٣ إلى ١٦</translation>
    </message>
    <message id="Chapter 13">
        <source></source>
        <translation>الفصل ١٣</translation>
    </message>
    <message id="Chapter 14">
        <source></source>
        <translation>الفصل ١٤</translation>
    </message>
    <message id="Chapter 15">
        <source></source>
        <translation>الفصل ١٥</translation>
    </message>
    <message id="Chapter 16">
        <source></source>
        <translation>الفصل ١٦</translation>
    </message>
    <message id="Follow Larkspire">
        <source></source>
        <translation>تابِع Larkspire</translation>
    </message>
    <message id="A Larkspire Christmas">
        <source></source>
        <translation>عيد الميلاد مع Larkspire</translation>
    </message>
    <message id="How the story's winter songs were written, drawn and sung.">
        <source></source>
        <translation>كيف كُتبت أغاني الشتاء في القصة ورُسمت وغُنّيت.</translation>
    </message>
    <message id="Play the Documentary">
        <source></source>
        <translation>شاهد الفيلم الوثائقي</translation>
    </message>
    <message id="Filmed in the studio where the pictures of Larkspire are painted, with the singers and the band.">
        <source></source>
        <translation>صُوّر في الاستوديو الذي تُرسم فيه صور Larkspire، مع المغنين والفرقة.</translation>
    </message>
    <message id="The Story, Part Four">
        <source></source>
        <translation>القصة، الجزء الرابع</translation>
    </message>
    <message id="Lots More">
        <source></source>
        <translation>المزيد</translation>
    </message>
    <message id="Story Notes">
        <source></source>
        <translation>ملاحظات القصة</translation>
    </message>
    <message id="Part Four closes the tale begun in Part One: chapters 13 to 16 follow the crew home under the mended sky.">
        <source></source>
        <translation>يختم الجزء الرابع القصة التي بدأت في الجزء الأول: الفصول من ١٣ إلى ١٦ ترافق الطاقم في عودته إلى البيت تحت السماء التي رُمّمت.</translation>
    </message>
    <message id="Every chapter is a song. The music screen holds all seven songs of this part.">
        <source></source>
        <translation>كل فصل هو أغنية. في شاشة الموسيقى تجد أغاني هذا الجزء السبع كلها.</translation>
    </message>
    <message id="Credits">
        <source></source>
        <translation>فريق العمل</translation>
    </message>
    <message id="Story and songs: the Larkspire team">
        <source></source>
        <translation>القصة والأغاني: فريق Larkspire</translation>
    </message>
    <message id="Pictures and animation: the Larkspire studio">
        <source></source>
        <translation>الرسوم والتحريك: استوديو Larkspire</translation>
    </message>
    <message id="Voices: the Larkspire singers">
        <source></source>
        <translation>الأصوات: مغنّو Larkspire</translation>
    </message>
    <message id="Thanks to every reader who came this far.">
        <source></source>
        <translation>شكرًا لكل قارئ وصل إلى هنا.</translation>
    </message>
    <message id="Songs of the Story">
        <source></source>
        <translation>أغاني القصة</translation>
    </message>
    <message id="Stop">
        <source></source>
        <translation>إيقاف</translation>
    </message>
    <message id="Downloads">
        <source></source>
        <translation>التنزيلات</translation>
    </message>
    <message id="Chapters and songs kept on this machine, to play without a network.">
        <source></source>
        <translation>فصول وأغانٍ محفوظة على هذا الجهاز، لتشغيلها دون اتصال بالشبكة.</translation>
    </message>
    <message id="Chapters 14 to 16">
        <source></source>
        <translation>الفصول من ١٤ إلى ١٦</translation>
    </message>
    <message id="chapters">
        <source></source>
        <translation>الفصول</translation>
    </message>
    <message id="The seven songs">
        <source></source>
        <translation>الأغاني السبع</translation>
    </message>
    <message id="songs">
        <source></source>
        <translation>الأغاني</translation>
    </message>
    <message id="Download all">
        <source></source>
        <translation>تنزيل الكل</translation>
    </message>
    <message id="Captions on every video: Off">
        <source></source>
        <translation>الترجمة في كل فيديو: معطّل</translation>
    </message>
    <message id="The End">
        <source></source>
        <translation>النهاية</translation>
    </message>
    <message id="Thank you for reading Part Four. Swipe on for more.">
        <source></source>
        <translation>شكرًا لأنك قرأت الجزء الرابع. اسحب لترى المزيد.</translation>
    </message>
    <message id="Larkspire on Facebook">
        <source></source>
        <translation>Larkspire على فيسبوك</translation>
    </message>
    <message id="Our Homepage">
        <source></source>
        <translation>موقعنا</translation>
    </message>
    <message id="Story Chapters">
        <source></source>
        <translation>فصول القصة</translation>
    </message>
    <message id="Christmas Documentary">
        <source></source>
        <translation>وثائقي عيد الميلاد</translation>
    </message>
    <message id="Grown-ups">
        <source></source>
        <translation>للكبار</translation>
    </message>
    <message id="English">
        <source></source>
        <translation>الإنجليزية</translation>
    </message>
    <message id="German">
        <source></source>
        <translation>الألمانية</translation>
    </message>
    <message id="Spanish">
        <source></source>
        <translation>الإسبانية</translation>
    </message>
    <message id="French">
        <source></source>
        <translation>الفرنسية</translation>
    </message>
    <message id="Arabic">
        <source></source>
        <translation>العربية</translation>
    </message>
    <message id="Done">
        <source></source>
        <translation>تم</translation>
    </message>
    <message id="Play">
        <source></source>
        <translation>تشغيل</translation>
    </message>
    <message id="Captions">
        <source></source>
        <translation>الترجمة</translation>
    </message>
    <message id="Position">
        <source></source>
        <translation>الموضع</translation>
    </message>
    <message id="Pause">
        <source></source>
        <translation>إيقاف مؤقت</translation>
    </message>
    <message id="On, %1">
        <source></source>
        <translation>مفعّل، %1</translation>
    </message>
    <message id="Close">
        <source></source>
        <translation>إغلاق</translation>
    </message>
    <message id="Enjoying the story? Rate it">
        <source></source>
        <translation>هل أعجبتك القصة؟ قيّمها</translation>
    </message>
    <message id="Playing now">
        <source></source>
        <translation>يُشغَّل الآن</translation>
    </message>
    <message id="Download progress">
        <source></source>
        <translation>تقدّم التنزيل</translation>
    </message>
    <message id="Larkspire">
        <source></source>
        <translation>Larkspire</translation>
    </message>
    <message id="Musical Story">
        <source></source>
        <translation>قصة موسيقية</translation>
    </message>
    <message id="Watch the chapter videos and sing along with the songs of the story">
        <source></source>
        <translation>مشاهدة فيديوهات الفصول وغناء أغاني القصة</translation>
    </message>
    <message id="Watch and sing along with an illustrated musical story">
        <source></source>
        <translation>قصة موسيقية مصوّرة للمشاهدة والغناء</translation>
    </message>
    <message id="Language: %1">
        <source></source>
        <translation>اللغة: %1</translation>
    </message>
    <message id="Update packs automatically: %1">
        <source></source>
        <translation>تحديث الحزم تلقائيًا: %1</translation>
    </message>
    <message id="Checking the files…">
        <source></source>
        <translation>جارٍ فحص الملفات…</translation>
    </message>
    <message id="On this machine: %1, every file checked">
        <source></source>
        <translation>على هذا الجهاز: %1، وكل الملفات مفحوصة</translation>
    </message>
    <message id="Damaged, to download again: %1">
        <source></source>
        <translation>تالف، يلزم تنزيله من جديد: %1</translation>
    </message>
    <message id="Edition %1: looking for a newer one…">
        <source></source>
        <translation>الإصدار %1: جارٍ البحث عن إصدار أحدث…</translation>
    </message>
    <message id="Edition %1, up to date">
        <source></source>
        <translation>الإصدار %1، محدَّث</translation>
    </message>
    <message id="Edition %1 is available: %2 to download">
        <source></source>
        <translation>الإصدار %1 متاح: %2 للتنزيل</translation>
    </message>
    <message id="Updating: %1%">
        <source></source>
        <translation>جارٍ التحديث: %1٪</translation>
    </message>
    <message id="Could not update: %1">
        <source></source>
        <translation>تعذّر التحديث: %1</translation>
    </message>
    <message id="Edition %1">
        <source></source>
        <translation>الإصدار %1</translation>
    </message>
    <message id="Update %1">
        <source></source>
        <translation>تحديث %1</translation>
    </message>
    <message id="Update chapters">
        <source></source>
        <translation>تحديث الفصول</translation>
    </message>
    <message id="Update songs">
        <source></source>
        <translation>تحديث الأغاني</translation>
    </message>
    <message id="Check for updates">
        <source></source>
        <translation>البحث عن تحديثات</translation>
    </message>
    <message id="Check the files">
        <source></source>
        <translation>فحص الملفات</translation>
    </message>
    <message id="Update packs automatically: On">
        <source></source>
        <translation>تحديث الحزم تلقائيًا: مفعّل</translation>
    </message>
    <message id="Small">
        <source></source>
        <translation>صغير</translation>
    </message>
    <message id="Large">
        <source></source>
        <translation>كبير</translation>
    </message>
    <message id="Largest">
        <source></source>
        <translation>كبير جدًا</translation>
    </message>
    <message id="Medium">
        <source></source>
        <translation>متوسط</translation>
    </message>
    <message id="Solid box">
        <source></source>
        <translation>مربع معتم</translation>
    </message>
    <message id="No box, outlined letters">
        <source></source>
        <translation>بلا مربع، حروف محدّدة</translation>
    </message>
    <message id="Translucent box">
        <source></source>
        <translation>مربع شبه شفاف</translation>
    </message>
    <message id="Top of the picture">
        <source></source>
        <translation>أعلى الصورة</translation>
    </message>
    <message id="Bottom of the picture">
        <source></source>
        <translation>أسفل الصورة</translation>
    </message>
    <message id="Captions will look like this.">
        <source></source>
        <translation>ستبدو الترجمة هكذا.</translation>
    </message>
    <message id="Size: %1">
        <source></source>
        <translation>الحجم: %1</translation>
    </message>
    <message id="Background: %1">
        <source></source>
        <translation>الخلفية: %1</translation>
    </message>
    <message id="Position: %1">
        <source></source>
        <translation>الموضع: %1</translation>
    </message>
    <message id="The server could not be reached">
        <source></source>
        <translation>تعذّر الوصول إلى الخادم</translation>
    </message>
    <message id="The connection was interrupted">
        <source></source>
        <translation>انقطع الاتصال</translation>
    </message>
    <message id="The connection is too slow">
        <source></source>
        <translation>الاتصال بطيء جدًا</translation>
    </message>
    <message id="The connection to the server is not secure">
        <source></source>
        <translation>الاتصال بالخادم غير آمن</translation>
    </message>
    <message id="This server does not have these files">
        <source></source>
        <translation>هذا الخادم لا يحتوي على هذه الملفات</translation>
    </message>
    <message id="The server refused the download">
        <source></source>
        <translation>رفض الخادم التنزيل</translation>
    </message>
    <message id="A downloaded file was damaged">
        <source></source>
        <translation>أحد الملفات المنزّلة تالف</translation>
    </message>
    <message id="Not signed by a publisher this machine trusts">
        <source></source>
        <translation>غير موقّع من ناشر يثق به هذا الجهاز</translation>
    </message>
    <message id="Not enough space on this disk">
        <source></source>
        <translation>لا توجد مساحة كافية على هذا القرص</translation>
    </message>
    <message id="This disk could not be written to">
        <source></source>
        <translation>تعذّرت الكتابة على هذا القرص</translation>
    </message>
    <message id="It is not on this machine">
        <source></source>
        <translation>غير موجود على هذا الجهاز</translation>
    </message>
    <message id="It is still downloading">
        <source></source>
        <translation>التنزيل ما زال جاريًا</translation>
    </message>
    <message id="Something from it is playing">
        <source></source>
        <translation>يُشغَّل الآن شيء منه</translation>
    </message>
    <message id="Something went wrong">
        <source></source>
        <translation>حدث خطأ ما</translation>
    </message>
    <message id="as the system">
        <source></source>
        <translation>لغة النظام</translation>
    </message>
    <message id="story;children;songs;music;video;">
        <source></source>
        <translation>قصة;أطفال;أغاني;موسيقى;فيديو;</translation>
    </message>
    <message id="The fourth part of an illustrated musical story, told in chapter videos and songs. Children watch the chapters, listen to the seven songs of this part and read the story notes; more chapters and the songs download when first needed.">
        <source></source>
        <translation>الجزء الرابع من قصة موسيقية مصوّرة، تُروى في فيديوهات الفصول وفي الأغاني. يشاهد الأطفال الفصول ويستمعون إلى أغاني هذا الجزء السبع ويقرؤون ملاحظات القصة، وتُنزَّل الفصول الأخرى والأغاني عند الحاجة إليها أول مرة.</translation>
    </message>
    <message id="Every link out of the application waits behind a question only a grown-up can answer. It works with a mouse, a keyboard, a touch screen or a screen reader.">
        <source></source>
        <translation>كل رابط يخرج من التطبيق ينتظر خلف سؤال لا يجيب عنه إلا الكبار. ويعمل التطبيق بالفأرة أو لوحة المفاتيح أو شاشة اللمس أو قارئ الشاشة.</translation>
    </message>
    <message id="The chapters of the story">
        <source></source>
        <translation>فصول القصة</translation>
    </message>
    <message id="A chapter playing">
        <source></source>
        <translation>فصل قيد التشغيل</translation>
    </message>
    <message id="The question for grown-ups before a link opens">
        <source></source>
        <translation>سؤال الكبار قبل فتح رابط</translation>
    </message>
    <message id="A song playing">
        <source></source>
        <translation>أغنية قيد التشغيل</translation>
    </message>
    <message id="The first release: four chapters, seven songs, on-demand downloads, keyboard, touch and screen reader support.">
        <source></source>
        <translation>الإصدار الأول: أربعة فصول وسبع أغانٍ وتنزيل عند الحاجة، ويعمل بلوحة المفاتيح واللمس وقارئ الشاشة.</translation>
    </message>
    <message id="Caption style">
        <source></source>
        <translation>مظهر الترجمة</translation>
    </message>
    <message id="Size: Medium">
        <source></source>
        <translation>الحجم: متوسط</translation>
    </message>
    <message id="Background: Translucent box">
        <source></source>
        <translation>الخلفية: مربع شبه شفاف</translation>
    </message>
    <message id="Position: Bottom of the picture">
        <source></source>
        <translation>الموضع: أسفل الصورة</translation>
    </message>
    <message id="Every video's captions take this look, in every language.">
        <source></source>
        <translation>تظهر الترجمة بهذا الشكل في كل الفيديوهات وبكل اللغات.</translation>
    </message>
</context>
</TS>
