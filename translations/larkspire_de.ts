<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name></name>
    <message id="Not Enough Space">
        <source></source>
        <translation>Nicht genug Speicherplatz</translation>
    </message>
    <message id="You don't have enough storage left to download this resource.">
        <source></source>
        <translation>Es ist nicht mehr genug Speicherplatz frei, um diesen Inhalt herunterzuladen.</translation>
    </message>
    <message id="OK">
        <source></source>
        <translation>OK</translation>
    </message>
    <message id="We won't be long!">
        <source></source>
        <translation>Es dauert nicht lange!</translation>
    </message>
    <message id="Parental Gate Disabled">
        <source></source>
        <translation>Elternsperre aufgehoben</translation>
    </message>
    <message id="You now have full access to the App">
        <source></source>
        <translation>Sie haben jetzt vollen Zugriff auf die App</translation>
    </message>
    <message id="Parental Gate Remains Active">
        <source></source>
        <translation>Elternsperre bleibt aktiv</translation>
    </message>
    <message id="Sorry you entered the wrong answer">
        <source></source>
        <translation>Leider war die Antwort falsch</translation>
    </message>
    <message id="Cancel">
        <source></source>
        <translation>Abbrechen</translation>
    </message>
    <message id="PARENTAL GATE: 12 x 7 = ?">
        <source></source>
        <translation>ELTERNSPERRE: 12 x 7 = ?</translation>
    </message>
    <message id="PARENTAL GATE: 85 - 37 = ?">
        <source></source>
        <translation>ELTERNSPERRE: 85 - 37 = ?</translation>
    </message>
    <message id="PARENTAL GATE: 68 + 57 = ?">
        <source></source>
        <translation>ELTERNSPERRE: 68 + 57 = ?</translation>
    </message>
    <message id="Enter your answer">
        <source></source>
        <translation>Antwort eingeben</translation>
    </message>
    <message id="Music downloading!">
        <source></source>
        <translation>Die Musik wird heruntergeladen!</translation>
    </message>
    <message id="Now playing: %1">
        <source></source>
        <translation>Es läuft: %1</translation>
    </message>
    <message id="bytes">
        <source></source>
        <translation>Byte</translation>
    </message>
    <message id="kB">
        <source></source>
        <translation>kB</translation>
    </message>
    <message id="MB">
        <source></source>
        <translation>MB</translation>
    </message>
    <message id="GB">
        <source></source>
        <translation>GB</translation>
    </message>
    <message id="TB">
        <source></source>
        <translation>TB</translation>
    </message>
    <message id="Captions on every video: %1">
        <source></source>
        <translation>Untertitel in jedem Video: %1</translation>
    </message>
    <message id="On">
        <source></source>
        <translation>Ein</translation>
    </message>
    <message id="Off">
        <source></source>
        <translation>Aus</translation>
    </message>
    <message id="Free space on this disk: %1">
        <source></source>
        <translation>Freier Speicherplatz auf diesem Datenträger: %1</translation>
    </message>
    <message id="unknown">
        <source></source>
        <translation>unbekannt</translation>
    </message>
    <message id="Remove %1">
        <source></source>
        <translation>%1 entfernen</translation>
    </message>
    <message id="On this machine: %1">
        <source></source>
        <translation>Auf diesem Gerät: %1</translation>
    </message>
    <message id="Downloading %1">
        <source></source>
        <translation>%1 werden heruntergeladen</translation>
    </message>
    <message id="Downloading: %1%">
        <source></source>
        <translation>Wird heruntergeladen: %1 %</translation>
    </message>
    <message id="Retry %1">
        <source></source>
        <translation>%1 erneut herunterladen</translation>
    </message>
    <message id="Could not download: %1">
        <source></source>
        <translation>Herunterladen fehlgeschlagen: %1</translation>
    </message>
    <message id="Download %1">
        <source></source>
        <translation>%1 herunterladen</translation>
    </message>
    <message id="Not downloaded">
        <source></source>
        <translation>Nicht heruntergeladen</translation>
    </message>
    <message id="Remove from this machine?">
        <source></source>
        <translation>Von diesem Gerät entfernen?</translation>
    </message>
    <message id="%1: this frees %2. They can be downloaded again later.">
        <source></source>
        <translation>%1: Das gibt %2 frei. Sie können später wieder heruntergeladen werden.</translation>
    </message>
    <message id="Remove">
        <source></source>
        <translation>Entfernen</translation>
    </message>
    <message id="Not removed">
        <source></source>
        <translation>Nicht entfernt</translation>
    </message>
    <message id="%1 stayed on this machine: %2.">
        <source></source>
        <translation>%1 sind auf diesem Gerät geblieben: %2.</translation>
    </message>
    <message id="Story downloading!">
        <source></source>
        <translation>Die Geschichte wird heruntergeladen!</translation>
    </message>
    <message id="Back">
        <source></source>
        <translation>Zurück</translation>
    </message>
    <message id="Chapters 13 to 16">
        <source></source>
        <translation>Kapitel 13 bis 16</translation>
    </message>
    <message id="Chapter 13">
        <source></source>
        <translation>Kapitel 13</translation>
    </message>
    <message id="Chapter 14">
        <source></source>
        <translation>Kapitel 14</translation>
    </message>
    <message id="Chapter 15">
        <source></source>
        <translation>Kapitel 15</translation>
    </message>
    <message id="Chapter 16">
        <source></source>
        <translation>Kapitel 16</translation>
    </message>
    <message id="Follow Larkspire">
        <source></source>
        <translation>Folge Larkspire</translation>
    </message>
    <message id="A Larkspire Christmas">
        <source></source>
        <translation>Weihnachten mit Larkspire</translation>
    </message>
    <message id="How the story's winter songs were written, drawn and sung.">
        <source></source>
        <translation>Wie die Winterlieder der Geschichte geschrieben, gezeichnet und gesungen wurden.</translation>
    </message>
    <message id="Play the Documentary">
        <source></source>
        <translation>Doku abspielen</translation>
    </message>
    <message id="Filmed in the studio where the pictures of Larkspire are painted, with the singers and the band.">
        <source></source>
        <translation>Gedreht im Studio, in dem die Bilder von Larkspire gemalt werden, mit den Sängern und der Band.</translation>
    </message>
    <message id="The Story, Part Four">
        <source></source>
        <translation>Die Geschichte, Teil vier</translation>
    </message>
    <message id="Lots More">
        <source></source>
        <translation>Noch viel mehr</translation>
    </message>
    <message id="Story Notes">
        <source></source>
        <translation>Zur Geschichte</translation>
    </message>
    <message id="Part Four closes the tale begun in Part One: chapters 13 to 16 follow the crew home under the mended sky.">
        <source></source>
        <translation>Teil vier beendet die Geschichte, die in Teil eins begann: Die Kapitel 13 bis 16 begleiten die Mannschaft unter dem geflickten Himmel nach Hause.</translation>
    </message>
    <message id="Every chapter is a song. The music screen holds all seven songs of this part.">
        <source></source>
        <translation>Jedes Kapitel ist ein Lied. Auf der Musikseite findest du alle sieben Lieder dieses Teils.</translation>
    </message>
    <message id="Credits">
        <source></source>
        <translation>Mitwirkende</translation>
    </message>
    <message id="Story and songs: the Larkspire team">
        <source></source>
        <translation>Geschichte und Lieder: das Larkspire-Team</translation>
    </message>
    <message id="Pictures and animation: the Larkspire studio">
        <source></source>
        <translation>Bilder und Animation: das Larkspire-Studio</translation>
    </message>
    <message id="Voices: the Larkspire singers">
        <source></source>
        <translation>Stimmen: die Larkspire-Sänger</translation>
    </message>
    <message id="Thanks to every reader who came this far.">
        <source></source>
        <translation>Danke an alle, die bis hierher gelesen haben.</translation>
    </message>
    <message id="Songs of the Story">
        <source></source>
        <translation>Lieder der Geschichte</translation>
    </message>
    <message id="Stop">
        <source></source>
        <translation>Stopp</translation>
    </message>
    <message id="Downloads">
        <source></source>
        <translation>Downloads</translation>
    </message>
    <message id="Chapters and songs kept on this machine, to play without a network.">
        <source></source>
        <translation>Kapitel und Lieder auf diesem Gerät, zum Abspielen ohne Internet.</translation>
    </message>
    <message id="Chapters 14 to 16">
        <source></source>
        <translation>Kapitel 14 bis 16</translation>
    </message>
    <message id="chapters">
        <source></source>
        <translation>Kapitel</translation>
    </message>
    <message id="The seven songs">
        <source></source>
        <translation>Die sieben Lieder</translation>
    </message>
    <message id="songs">
        <source></source>
        <translation>Lieder</translation>
    </message>
    <message id="Download all">
        <source></source>
        <translation>Alle herunterladen</translation>
    </message>
    <message id="Captions on every video: Off">
        <source></source>
        <translation>Untertitel in jedem Video: Aus</translation>
    </message>
    <message id="The End">
        <source></source>
        <translation>Ende</translation>
    </message>
    <message id="Thank you for reading Part Four. Swipe on for more.">
        <source></source>
        <translation>Danke, dass du Teil vier gelesen hast. Wische weiter für mehr.</translation>
    </message>
    <message id="Larkspire on Facebook">
        <source></source>
        <translation>Larkspire auf Facebook</translation>
    </message>
    <message id="Our Homepage">
        <source></source>
        <translation>Unsere Webseite</translation>
    </message>
    <message id="Story Chapters">
        <source></source>
        <translation>Die Kapitel</translation>
    </message>
    <message id="Christmas Documentary">
        <source></source>
        <translation>Weihnachts-Doku</translation>
    </message>
    <message id="Grown-ups">
        <source></source>
        <translation>Für Eltern</translation>
    </message>
    <message id="English">
        <source></source>
        <translation>Englisch</translation>
    </message>
    <message id="German">
        <source></source>
        <translation>Deutsch</translation>
    </message>
    <message id="Spanish">
        <source></source>
        <translation>Spanisch</translation>
    </message>
    <message id="French">
        <source></source>
        <translation>Französisch</translation>
    </message>
    <message id="Arabic">
        <source></source>
        <translation>Arabisch</translation>
    </message>
    <message id="Done">
        <source></source>
        <translation>Fertig</translation>
    </message>
    <message id="Play">
        <source></source>
        <translation>Abspielen</translation>
    </message>
    <message id="Captions">
        <source></source>
        <translation>Untertitel</translation>
    </message>
    <message id="Position">
        <source></source>
        <translation>Position</translation>
    </message>
    <message id="Pause">
        <source></source>
        <translation>Pause</translation>
    </message>
    <message id="On, %1">
        <source></source>
        <translation>Ein, %1</translation>
    </message>
    <message id="Close">
        <source></source>
        <translation>Schließen</translation>
    </message>
    <message id="Enjoying the story? Rate it">
        <source></source>
        <translation>Gefällt dir die Geschichte? Bewerte sie</translation>
    </message>
    <message id="Playing now">
        <source></source>
        <translation>Läuft gerade</translation>
    </message>
    <message id="Download progress">
        <source></source>
        <translation>Download-Fortschritt</translation>
    </message>
    <message id="Larkspire">
        <source></source>
        <translation>Larkspire</translation>
    </message>
    <message id="Musical Story">
        <source></source>
        <translation>Musikalische Geschichte</translation>
    </message>
    <message id="Watch the chapter videos and sing along with the songs of the story">
        <source></source>
        <translation>Die Kapitelvideos ansehen und die Lieder der Geschichte mitsingen</translation>
    </message>
    <message id="Watch and sing along with an illustrated musical story">
        <source></source>
        <translation>Eine illustrierte musikalische Geschichte zum Anschauen und Mitsingen</translation>
    </message>
    <message id="Language: %1">
        <source></source>
        <translation>Sprache: %1</translation>
    </message>
    <message id="Update packs automatically: %1">
        <source></source>
        <translation>Pakete automatisch aktualisieren: %1</translation>
    </message>
    <message id="Checking the files…">
        <source></source>
        <translation>Dateien werden geprüft …</translation>
    </message>
    <message id="On this machine: %1, every file checked">
        <source></source>
        <translation>Auf diesem Gerät: %1, alle Dateien geprüft</translation>
    </message>
    <message id="Damaged, to download again: %1">
        <source></source>
        <translation>Beschädigt, muss neu heruntergeladen werden: %1</translation>
    </message>
    <message id="Edition %1: looking for a newer one…">
        <source></source>
        <translation>Ausgabe %1: Suche nach einer neueren …</translation>
    </message>
    <message id="Edition %1, up to date">
        <source></source>
        <translation>Ausgabe %1, aktuell</translation>
    </message>
    <message id="Edition %1 is available: %2 to download">
        <source></source>
        <translation>Ausgabe %1 ist verfügbar: %2 zum Herunterladen</translation>
    </message>
    <message id="Updating: %1%">
        <source></source>
        <translation>Wird aktualisiert: %1 %</translation>
    </message>
    <message id="Could not update: %1">
        <source></source>
        <translation>Aktualisierung fehlgeschlagen: %1</translation>
    </message>
    <message id="Edition %1">
        <source></source>
        <translation>Ausgabe %1</translation>
    </message>
    <message id="Update %1">
        <source></source>
        <translation>%1 aktualisieren</translation>
    </message>
    <message id="Update chapters">
        <source></source>
        <translation>Kapitel aktualisieren</translation>
    </message>
    <message id="Update songs">
        <source></source>
        <translation>Lieder aktualisieren</translation>
    </message>
    <message id="Check for updates">
        <source></source>
        <translation>Nach Aktualisierungen suchen</translation>
    </message>
    <message id="Check the files">
        <source></source>
        <translation>Dateien prüfen</translation>
    </message>
    <message id="Update packs automatically: On">
        <source></source>
        <translation>Pakete automatisch aktualisieren: Ein</translation>
    </message>
    <message id="Small">
        <source></source>
        <translation>Klein</translation>
    </message>
    <message id="Large">
        <source></source>
        <translation>Groß</translation>
    </message>
    <message id="Largest">
        <source></source>
        <translation>Sehr groß</translation>
    </message>
    <message id="Medium">
        <source></source>
        <translation>Mittel</translation>
    </message>
    <message id="Solid box">
        <source></source>
        <translation>Deckend</translation>
    </message>
    <message id="No box, outlined letters">
        <source></source>
        <translation>Keiner, Schrift mit Umriss</translation>
    </message>
    <message id="Translucent box">
        <source></source>
        <translation>Halbtransparent</translation>
    </message>
    <message id="Top of the picture">
        <source></source>
        <translation>Oben im Bild</translation>
    </message>
    <message id="Bottom of the picture">
        <source></source>
        <translation>Unten im Bild</translation>
    </message>
    <message id="Captions will look like this.">
        <source></source>
        <translation>So sehen die Untertitel aus.</translation>
    </message>
    <message id="Size: %1">
        <source></source>
        <translation>Größe: %1</translation>
    </message>
    <message id="Background: %1">
        <source></source>
        <translation>Hintergrund: %1</translation>
    </message>
    <message id="Position: %1">
        <source></source>
        <translation>Position: %1</translation>
    </message>
    <message id="The server could not be reached">
        <source></source>
        <translation>Der Server war nicht erreichbar</translation>
    </message>
    <message id="The connection was interrupted">
        <source></source>
        <translation>Die Verbindung wurde unterbrochen</translation>
    </message>
    <message id="The connection is too slow">
        <source></source>
        <translation>Die Verbindung ist zu langsam</translation>
    </message>
    <message id="The connection to the server is not secure">
        <source></source>
        <translation>Die Verbindung zum Server ist nicht sicher</translation>
    </message>
    <message id="This server does not have these files">
        <source></source>
        <translation>Dieser Server hat diese Dateien nicht</translation>
    </message>
    <message id="The server refused the download">
        <source></source>
        <translation>Der Server hat den Download verweigert</translation>
    </message>
    <message id="A downloaded file was damaged">
        <source></source>
        <translation>Eine heruntergeladene Datei war beschädigt</translation>
    </message>
    <message id="Not signed by a publisher this machine trusts">
        <source></source>
        <translation>Nicht von einem Herausgeber signiert, dem dieses Gerät vertraut</translation>
    </message>
    <message id="Not enough space on this disk">
        <source></source>
        <translation>Nicht genug Speicherplatz auf diesem Datenträger</translation>
    </message>
    <message id="This disk could not be written to">
        <source></source>
        <translation>Auf diesen Datenträger konnte nicht geschrieben werden</translation>
    </message>
    <message id="It is not on this machine">
        <source></source>
        <translation>Nicht auf diesem Gerät vorhanden</translation>
    </message>
    <message id="It is still downloading">
        <source></source>
        <translation>Der Download läuft noch</translation>
    </message>
    <message id="Something from it is playing">
        <source></source>
        <translation>Etwas daraus wird gerade abgespielt</translation>
    </message>
    <message id="Something went wrong">
        <source></source>
        <translation>Etwas ist schiefgelaufen</translation>
    </message>
    <message id="as the system">
        <source></source>
        <translation>wie im System</translation>
    </message>
    <message id="story;children;songs;music;video;">
        <source></source>
        <translation>Geschichte;Kinder;Lieder;Musik;Video;</translation>
    </message>
    <message id="The fourth part of an illustrated musical story, told in chapter videos and songs. Children watch the chapters, listen to the seven songs of this part and read the story notes; more chapters and the songs download when first needed.">
        <source></source>
        <translation>Der vierte Teil einer illustrierten musikalischen Geschichte, erzählt in Kapitelvideos und Liedern. Kinder sehen die Kapitel an, hören die sieben Lieder dieses Teils und lesen die Notizen zur Geschichte; weitere Kapitel und die Lieder werden heruntergeladen, sobald sie zum ersten Mal gebraucht werden.</translation>
    </message>
    <message id="Every link out of the application waits behind a question only a grown-up can answer. It works with a mouse, a keyboard, a touch screen or a screen reader.">
        <source></source>
        <translation>Jeder Link aus der Anwendung heraus wartet hinter einer Frage, die nur Erwachsene beantworten können. Die Anwendung lässt sich mit Maus, Tastatur, Touchscreen oder Bildschirmleser bedienen.</translation>
    </message>
    <message id="The chapters of the story">
        <source></source>
        <translation>Die Kapitel der Geschichte</translation>
    </message>
    <message id="A chapter playing">
        <source></source>
        <translation>Ein Kapitel wird abgespielt</translation>
    </message>
    <message id="The question for grown-ups before a link opens">
        <source></source>
        <translation>Die Frage für Erwachsene, bevor sich ein Link öffnet</translation>
    </message>
    <message id="A song playing">
        <source></source>
        <translation>Ein Lied wird abgespielt</translation>
    </message>
    <message id="The first release: four chapters, seven songs, on-demand downloads, keyboard, touch and screen reader support.">
        <source></source>
        <translation>Die erste Version: vier Kapitel, sieben Lieder, Downloads bei Bedarf, Bedienung mit Tastatur, Touchscreen und Bildschirmleser.</translation>
    </message>
    <message id="Caption style">
        <source></source>
        <translation>Aussehen der Untertitel</translation>
    </message>
    <message id="Size: Medium">
        <source></source>
        <translation>Größe: Mittel</translation>
    </message>
    <message id="Background: Translucent box">
        <source></source>
        <translation>Hintergrund: Halbtransparent</translation>
    </message>
    <message id="Position: Bottom of the picture">
        <source></source>
        <translation>Position: Unten im Bild</translation>
    </message>
    <message id="Every video's captions take this look, in every language.">
        <source></source>
        <translation>Die Untertitel aller Videos sehen so aus, in jeder Sprache.</translation>
    </message>
</context>
</TS>
