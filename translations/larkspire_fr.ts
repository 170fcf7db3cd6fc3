<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name></name>
    <message id="Not Enough Space">
        <source></source>
        <translation>Espace insuffisant</translation>
    </message>
    <message id="You don't have enough storage left to download this resource.">
        <source></source>
        <translation>Il ne reste pas assez d’espace de stockage pour télécharger ce contenu.</translation>
    </message>
    <message id="OK">
        <source></source>
        <translation>OK</translation>
    </message>
    <message id="We won't be long!">
        <source></source>
        <translation>Ça ne sera pas long&#xa0;!</translation>
    </message>
    <message id="Parental Gate Disabled">
        <source></source>
        <translation>Contrôle parental désactivé</translation>
    </message>
    <message id="You now have full access to the App">
        <source></source>
        <translation>Vous avez maintenant accès à toute l’application</translation>
    </message>
    <message id="Parental Gate Remains Active">
        <source></source>
        <translation>Le contrôle parental reste actif</translation>
    </message>
    <message id="Sorry you entered the wrong answer">
        <source></source>
        <translation>Désolé, la réponse est incorrecte</translation>
    </message>
    <message id="Cancel">
        <source></source>
        <translation>Annuler</translation>
    </message>
    <message id="PARENTAL GATE: 12 x 7 = ?">
        <source></source>
        <translation>CONTRÔLE PARENTAL&#xa0;: 12 x 7 =&#xa0;?</translation>
    </message>
    <message id="PARENTAL GATE: 85 - 37 = ?">
        <source></source>
        <translation>CONTRÔLE PARENTAL&#xa0;: 85 - 37 =&#xa0;?</translation>
    </message>
    <message id="PARENTAL GATE: 68 + 57 = ?">
        <source></source>
        <translation>CONTRÔLE PARENTAL&#xa0;: 68 + 57 =&#xa0;?</translation>
    </message>
    <message id="Enter your answer">
        <source></source>
        <translation>Saisissez votre réponse</translation>
    </message>
    <message id="Music downloading!">
        <source></source>
        <translation>La musique se télécharge&#xa0;!</translation>
    </message>
    <message id="Now playing: %1">
        <source></source>
        <translation>En cours de lecture&#xa0;: %1</translation>
    </message>
    <message id="bytes">
        <source></source>
        <translation>octets</translation>
    </message>
    <message id="kB">
        <source></source>
        <translation>ko</translation>
    </message>
    <message id="MB">
        <source></source>
        <translation>Mo</translation>
    </message>
    <message id="GB">
        <source></source>
        <translation>Go</translation>
    </message>
    <message id="TB">
        <source></source>
        <translation>To</translation>
    </message>
    <message id="Captions on every video: %1">
        <source></source>
        <translation>Sous-titres sur chaque vidéo&#xa0;: %1</translation>
    </message>
    <message id="On">
        <source></source>
        <translation>Activé</translation>
    </message>
    <message id="Off">
        <source></source>
        <translation>Désactivé</translation>
    </message>
    <message id="Free space on this disk: %1">
        <source></source>
        <translation>Espace libre sur ce disque&#xa0;: %1</translation>
    </message>
    <message id="unknown">
        <source></source>
        <translation>inconnu</translation>
    </message>
    <message id="Remove %1">
        <source></source>
        <translation>Supprimer les %1</translation>
    </message>
    <message id="On this machine: %1">
        <source></source>
        <translation>Sur cet appareil&#xa0;: %1</translation>
    </message>
    <message id="Downloading %1">
        <source></source>
        <translation>Téléchargement des %1</translation>
    </message>
    <message id="Downloading: %1%">
        <source></source>
        <translation>Téléchargement&#xa0;: %1&#xa0;%</translation>
    </message>
    <message id="Retry %1">
        <source></source>
        <translation>Retélécharger les %1</translation>
    </message>
    <message id="Could not download: %1">
        <source></source>
        <translation>Échec du téléchargement&#xa0;: %1</translation>
    </message>
    <message id="Download %1">
        <source></source>
        <translation>Télécharger les %1</translation>
    </message>
    <message id="Not downloaded">
        <source></source>
        <translation>Non téléchargé</translation>
    </message>
    <message id="Remove from this machine?">
        <source></source>
        <translation>Supprimer de cet appareil&#xa0;?</translation>
    </message>
    <message id="%1: this frees %2. They can be downloaded again later.">
        <source></source>
        <translation>%1&#xa0;: cela libère %2. Vous pourrez les télécharger de nouveau plus tard.</translation>
    </message>
    <message id="Remove">
        <source></source>
        <translation>Supprimer</translation>
    </message>
    <message id="Not removed">
        <source></source>
        <translation>Non supprimé</translation>
    </message>
    <message id="%1 stayed on this machine: %2.">
        <source></source>
        <translation>%1 restent sur cet appareil&#xa0;: %2.</translation>
    </message>
    <message id="Story downloading!">
        <source></source>
        <translation>L’histoire se télécharge&#xa0;!</translation>
    </message>
    <message id="Back">
        <source></source>
        <translation>Retour</translation>
    </message>
    <message id="Chapters 13 to 16">
        <source></source>
        <translation>Chapitres 13 à 16</translation>
    </message>
    <message id="Chapter 13">
        <source></source>
        <translation>Chapitre 13</translation>
    </message>
    <message id="Chapter 14">
        <source></source>
        <translation>Chapitre 14</translation>
    </message>
    <message id="Chapter 15">
        <source></source>
        <translation>Chapitre 15</translation>
    </message>
    <message id="Chapter 16">
        <source></source>
        <translation>Chapitre 16</translation>
    </message>
    <message id="Follow Larkspire">
        <source></source>
        <translation>Suivre Larkspire</translation>
    </message>
    <message id="A Larkspire Christmas">
        <source></source>
        <translation>Un Noël avec Larkspire</translation>
    </message>
    <message id="How the story's winter songs were written, drawn and sung.">
        <source></source>
        <translation>Comment les chansons d’hiver de l’histoire ont été écrites, dessinées et chantées.</translation>
    </message>
    <message id="Play the Documentary">
        <source></source>
        <translation>Voir le documentaire</translation>
    </message>
    <message id="Filmed in the studio where the pictures of Larkspire are painted, with the singers and the band.">
        <source></source>
        <translation>Tourné dans l’atelier où sont peintes les images de Larkspire, avec les chanteurs et le groupe.</translation>
    </message>
    <message id="The Story, Part Four">
        <source></source>
        <translation>L’histoire, quatrième partie</translation>
    </message>
    <message id="Lots More">
        <source></source>
        <translation>Encore plus</translation>
    </message>
    <message id="Story Notes">
        <source></source>
        <translation>Notes sur l’histoire</translation>
    </message>
    <message id="Part Four closes the tale begun in Part One: chapters 13 to 16 follow the crew home under the mended sky.">
        <source></source>
        <translation>La quatrième partie termine l’histoire commencée dans la première partie&#xa0;: les chapitres 13 à 16 suivent l’équipage jusqu’à la maison, sous le ciel réparé.</translation>
    </message>
    <message id="Every chapter is a song. The music screen holds all seven songs of this part.">
        <source></source>
        <translation>Chaque chapitre est une chanson. L’écran de musique contient les sept chansons de cette partie.</translation>
    </message>
    <message id="Credits">
        <source></source>
        <translation>Crédits</translation>
    </message>
    <message id="Story and songs: the Larkspire team">
        <source></source>
        <translation>Histoire et chansons&#xa0;: l’équipe Larkspire</translation>
    </message>
    <message id="Pictures and animation: the Larkspire studio">
        <source></source>
        <translation>Images et animation&#xa0;: le studio Larkspire</translation>
    </message>
    <message id="Voices: the Larkspire singers">
        <source></source>
        <translation>Voix&#xa0;: les chanteurs de Larkspire</translation>
    </message>
    <message id="Thanks to every reader who came this far.">
        <source></source>
        <translation>Merci à tous les lecteurs venus jusqu’ici.</translation>
    </message>
    <message id="Songs of the Story">
        <source></source>
        <translation>Les chansons de l’histoire</translation>
    </message>
    <message id="Stop">
        <source></source>
        <translation>Arrêter</translation>
    </message>
    <message id="Downloads">
        <source></source>
        <translation>Téléchargements</translation>
    </message>
    <message id="Chapters and songs kept on this machine, to play without a network.">
        <source></source>
        <translation>Chapitres et chansons gardés sur cet appareil, pour les lire sans réseau.</translation>
    </message>
    <message id="Chapters 14 to 16">
        <source></source>
        <translation>Chapitres 14 à 16</translation>
    </message>
    <message id="chapters">
        <source></source>
        <translation>chapitres</translation>
    </message>
    <message id="The seven songs">
        <source></source>
        <translation>Les sept chansons</translation>
    </message>
    <message id="songs">
        <source></source>
        <translation>chansons</translation>
    </message>
    <message id="Download all">
        <source></source>
        <translation>Tout télécharger</translation>
    </message>
    <message id="Captions on every video: Off">
        <source></source>
        <translation>Sous-titres sur chaque vidéo&#xa0;: Désactivé</translation>
    </message>
    <message id="The End">
        <source></source>
        <translation>Fin</translation>
    </message>
    <message id="Thank you for reading Part Four. Swipe on for more.">
        <source></source>
        <translation>Merci d’avoir lu la quatrième partie. Fais glisser pour en voir plus.</translation>
    </message>
    <message id="Larkspire on Facebook">
        <source></source>
        <translation>Larkspire sur Facebook</translation>
    </message>
    <message id="Our Homepage">
        <source></source>
        <translation>Notre site web</translation>
    </message>
    <message id="Story Chapters">
        <source></source>
        <translation>Les chapitres</translation>
    </message>
    <message id="Christmas Documentary">
        <source></source>
        <translation>Documentaire de Noël</translation>
    </message>
    <message id="Grown-ups">
        <source></source>
        <translation>Parents</translation>
    </message>
    <message id="English">
        <source></source>
        <translation>Anglais</translation>
    </message>
    <message id="German">
        <source></source>
        <translation>Allemand</translation>
    </message>
    <message id="Spanish">
        <source></source>
        <translation>Espagnol</translation>
    </message>
    <message id="French">
        <source></source>
        <translation>Français</translation>
    </message>
    <message id="Arabic">
        <source></source>
        <translation>Arabe</translation>
    </message>
    <message id="Done">
        <source></source>
        <translation>Terminé</translation>
    </message>
    <message id="Play">
        <source></source>
        <translation>Lire</translation>
    </message>
    <message id="Captions">
        <source></source>
        <translation>Sous-titres</translation>
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
        <translation>Activé, %1</translation>
    </message>
    <message id="Close">
        <source></source>
        <translation>Fermer</translation>
    </message>
    <message id="Enjoying the story? Rate it">
        <source></source>
        <translation>Tu aimes l’histoire&#xa0;? Donne-lui une note</translation>
    </message>
    <message id="Playing now">
        <source></source>
        <translation>En cours de lecture</translation>
    </message>
    <message id="Download progress">
        <source></source>
        <translation>Progression du téléchargement</translation>
    </message>
    <message id="Larkspire">
        <source></source>
        <translation>Larkspire</translation>
    </message>
    <message id="Musical Story">
        <source></source>
        <translation>Histoire en musique</translation>
    </message>
    <message id="Watch the chapter videos and sing along with the songs of the story">
        <source></source>
        <translation>Regarder les vidéos des chapitres et chanter les chansons de l’histoire</translation>
    </message>
    <message id="Watch and sing along with an illustrated musical story">
        <source></source>
        <translation>Une histoire illustrée en musique, à regarder et à chanter</translation>
    </message>
    <message id="Language: %1">
        <source></source>
        <translation>Langue&#xa0;: %1</translation>
    </message>
    <message id="Update packs automatically: %1">
        <source></source>
        <translation>Mettre à jour les paquets automatiquement&#xa0;: %1</translation>
    </message>
    <message id="Checking the files…">
        <source></source>
        <translation>Vérification des fichiers…</translation>
    </message>
    <message id="On this machine: %1, every file checked">
        <source></source>
        <translation>Sur cet appareil&#xa0;: %1, tous les fichiers vérifiés</translation>
    </message>
    <message id="Damaged, to download again: %1">
        <source></source>
        <translation>Endommagé, à retélécharger&#xa0;: %1</translation>
    </message>
    <message id="Edition %1: looking for a newer one…">
        <source></source>
        <translation>Édition %1&#xa0;: recherche d’une plus récente…</translation>
    </message>
    <message id="Edition %1, up to date">
        <source></source>
        <translation>Édition %1, à jour</translation>
    </message>
    <message id="Edition %1 is available: %2 to download">
        <source></source>
        <translation>L’édition %1 est disponible&#xa0;: %2 à télécharger</translation>
    </message>
    <message id="Updating: %1%">
        <source></source>
        <translation>Mise à jour&#xa0;: %1&#xa0;%</translation>
    </message>
    <message id="Could not update: %1">
        <source></source>
        <translation>Échec de la mise à jour&#xa0;: %1</translation>
    </message>
    <message id="Edition %1">
        <source></source>
        <translation>Édition %1</translation>
    </message>
    <message id="Update %1">
        <source></source>
        <translation>Mettre à jour les %1</translation>
    </message>
    <message id="Update chapters">
        <source></source>
        <translation>Mettre à jour les chapitres</translation>
    </message>
    <message id="Update songs">
        <source></source>
        <translation>Mettre à jour les chansons</translation>
    </message>
    <message id="Check for updates">
        <source></source>
        <translation>Rechercher des mises à jour</translation>
    </message>
    <message id="Check the files">
        <source></source>
        <translation>Vérifier les fichiers</translation>
    </message>
    <message id="Update packs automatically: On">
        <source></source>
        <translation>Mettre à jour les paquets automatiquement&#xa0;: Activé</translation>
    </message>
    <message id="Small">
        <source></source>
        <translation>Petite</translation>
    </message>
    <message id="Large">
        <source></source>
        <translation>Grande</translation>
    </message>
    <message id="Largest">
        <source></source>
        <translation>Très grande</translation>
    </message>
    <message id="Medium">
        <source></source>
        <translation>Moyenne</translation>
    </message>
    <message id="Solid box">
        <source></source>
        <translation>Bandeau opaque</translation>
    </message>
    <message id="No box, outlined letters">
        <source></source>
        <translation>Sans bandeau, lettres détourées</translation>
    </message>
    <message id="Translucent box">
        <source></source>
        <translation>Bandeau translucide</translation>
    </message>
    <message id="Top of the picture">
        <source></source>
        <translation>En haut de l’image</translation>
    </message>
    <message id="Bottom of the picture">
        <source></source>
        <translation>En bas de l’image</translation>
    </message>
    <message id="Captions will look like this.">
        <source></source>
        <translation>Voici l’aspect des sous-titres.</translation>
    </message>
    <message id="Size: %1">
        <source></source>
        <translation>Taille&#xa0;: %1</translation>
    </message>
    <message id="Background: %1">
        <source></source>
        <translation>Fond&#xa0;: %1</translation>
    </message>
    <message id="Position: %1">
        <source></source>
        <translation>Position&#xa0;: %1</translation>
    </message>
    <message id="The server could not be reached">
        <source></source>
        <translation>Le serveur est injoignable</translation>
    </message>
    <message id="The connection was interrupted">
        <source></source>
        <translation>La connexion a été interrompue</translation>
    </message>
    <message id="The connection is too slow">
        <source></source>
        <translation>La connexion est trop lente</translation>
    </message>
    <message id="The connection to the server is not secure">
        <source></source>
        <translation>La connexion au serveur n’est pas sécurisée</translation>
    </message>
    <message id="This server does not have these files">
        <source></source>
        <translation>Ce serveur n’a pas ces fichiers</translation>
    </message>
    <message id="The server refused the download">
        <source></source>
        <translation>Le serveur a refusé le téléchargement</translation>
    </message>
    <message id="A downloaded file was damaged">
        <source></source>
        <translation>Un fichier téléchargé était endommagé</translation>
    </message>
    <message id="Not signed by a publisher this machine trusts">
        <source></source>
        <translation>Pas signé par un éditeur reconnu par cet appareil</translation>
    </message>
    <message id="Not enough space on this disk">
        <source></source>
        <translation>Pas assez d’espace sur ce disque</translation>
    </message>
    <message id="This disk could not be written to">
        <source></source>
        <translation>Impossible d’écrire sur ce disque</translation>
    </message>
    <message id="It is not on this machine">
        <source></source>
        <translation>Absent de cet appareil</translation>
    </message>
    <message id="It is still downloading">
        <source></source>
        <translation>Le téléchargement est en cours</translation>
    </message>
    <message id="Something from it is playing">
        <source></source>
        <translation>Un élément est en cours de lecture</translation>
    </message>
    <message id="Something went wrong">
        <source></source>
        <translation>Une erreur s’est produite</translation>
    </message>
    <message id="as the system">
        <source></source>
        <translation>celle du système</translation>
    </message>
    <message id="story;children;songs;music;video;">
        <source></source>
        <translation>histoire;enfants;chansons;musique;vidéo;</translation>
    </message>
    <message id="The fourth part of an illustrated musical story, told in chapter videos and songs. Children watch the chapters, listen to the seven songs of this part and read the story notes; more chapters and the songs download when first needed.">
        <source></source>
        <translation>La quatrième partie d’une histoire illustrée en musique, racontée en vidéos de chapitres et en chansons. Les enfants regardent les chapitres, écoutent les sept chansons de cette partie et lisent les notes sur l’histoire&#xa0;; les autres chapitres et les chansons se téléchargent la première fois qu’on en a besoin.</translation>
    </message>
    <message id="Every link out of the application waits behind a question only a grown-up can answer. It works with a mouse, a keyboard, a touch screen or a screen reader.">
        <source></source>
        <translation>Chaque lien vers l’extérieur attend derrière une question à laquelle seul un adulte sait répondre. L’application s’utilise avec une souris, un clavier, un écran tactile ou un lecteur d’écran.</translation>
    </message>
    <message id="The chapters of the story">
        <source></source>
        <translation>Les chapitres de l’histoire</translation>
    </message>
    <message id="A chapter playing">
        <source></source>
        <translation>Un chapitre en cours de lecture</translation>
    </message>
    <message id="The question for grown-ups before a link opens">
        <source></source>
        <translation>La question pour les adultes avant l’ouverture d’un lien</translation>
    </message>
    <message id="A song playing">
        <source></source>
        <translation>Une chanson en cours de lecture</translation>
    </message>
    <message id="The first release: four chapters, seven songs, on-demand downloads, keyboard, touch and screen reader support.">
        <source></source>
        <translation>La première version&#xa0;: quatre chapitres, sept chansons, téléchargements à la demande, utilisation au clavier, sur écran tactile et avec un lecteur d’écran.</translation>
    </message>
    <message id="Caption style">
        <source></source>
        <translation>Style des sous-titres</translation>
    </message>
    <message id="Size: Medium">
        <source></source>
        <translation>Taille&#xa0;: Moyenne</translation>
    </message>
    <message id="Background: Translucent box">
        <source></source>
        <translation>Fond&#xa0;: Bandeau translucide</translation>
    </message>
    <message id="Position: Bottom of the picture">
        <source></source>
        <translation>Position&#xa0;: En bas de l’image</translation>
    </message>
    <message id="Every video's captions take this look, in every language.">
        <source></source>
        <translation>Les sous-titres de toutes les vidéos prennent cet aspect, dans toutes les langues.</translation>
    </message>
</context>
</TS>
