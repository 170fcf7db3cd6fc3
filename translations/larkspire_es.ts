<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name></name>
    <message id="Not Enough Space">
        <source></source>
        <translation>No hay espacio suficiente</translation>
    </message>
    <message id="You don't have enough storage left to download this resource.">
        <source></source>
        <translation>No queda espacio de almacenamiento suficiente para descargar este contenido.</translation>
    </message>
    <message id="OK">
        <source></source>
        <translation>Aceptar</translation>
    </message>
    <message id="We won't be long!">
        <source></source>
        <translation>¡No tardaremos mucho!</translation>
    </message>
    <message id="Parental Gate Disabled">
        <source></source>
        <translation>Control parental desactivado</translation>
    </message>
    <message id="You now have full access to the App">
        <source></source>
        <translation>Ahora tienes acceso completo a la app</translation>
    </message>
    <message id="Parental Gate Remains Active">
        <source></source>
        <translation>El control parental sigue activo</translation>
    </message>
    <message id="Sorry you entered the wrong answer">
        <source></source>
        <translation>Lo sentimos, la respuesta no es correcta</translation>
    </message>
    <message id="Cancel">
        <source></source>
        <translation>Cancelar</translation>
    </message>
    <message id="PARENTAL GATE: 12 x 7 = ?">
        <source></source>
        <translation>CONTROL PARENTAL: 12 x 7 = ?</translation>
    </message>
    <message id="PARENTAL GATE: 85 - 37 = ?">
        <source></source>
        <translation>CONTROL PARENTAL: 85 - 37 = ?</translation>
    </message>
    <message id="PARENTAL GATE: 68 + 57 = ?">
        <source></source>
        <translation>CONTROL PARENTAL: 68 + 57 = ?</translation>
    </message>
    <message id="Enter your answer">
        <source></source>
        <translation>Escribe tu respuesta</translation>
    </message>
    <message id="Music downloading!">
        <source></source>
        <translation>¡Descargando la música!</translation>
    </message>
    <message id="Now playing: %1">
        <source></source>
        <translation>Suena ahora: %1</translation>
    </message>
    <message id="bytes">
        <source></source>
        <translation>bytes</translation>
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
        <translation>Subtítulos en todos los vídeos: %1</translation>
    </message>
    <message id="On">
        <source></source>
        <translation>Sí</translation>
    </message>
    <message id="Off">
        <source></source>
        <translation>No</translation>
    </message>
    <message id="Free space on this disk: %1">
        <source></source>
        <translation>Espacio libre en este disco: %1</translation>
    </message>
    <message id="unknown">
        <source></source>
        <translation>desconocido</translation>
    </message>
    <message id="Remove %1">
        <source></source>
        <translation>Eliminar %1</translation>
    </message>
    <message id="On this machine: %1">
        <source></source>
        <translation>En este dispositivo: %1</translation>
    </message>
    <message id="Downloading %1">
        <source></source>
        <translation>Descargando %1</translation>
    </message>
    <message id="Downloading: %1%">
        <source></source>
        <translation>Descargando: %1 %</translation>
    </message>
    <message id="Retry %1">
        <source></source>
        <translation>Reintentar %1</translation>
    </message>
    <message id="Could not download: %1">
        <source></source>
        <translation>No se pudo descargar: %1</translation>
    </message>
    <message id="Download %1">
        <source></source>
        <translation>Descargar %1</translation>
    </message>
    <message id="Not downloaded">
        <source></source>
        <translation>No descargado</translation>
    </message>
    <message id="Remove from this machine?">
        <source></source>
        <translation>¿Eliminar de este dispositivo?</translation>
    </message>
    <message id="%1: this frees %2. They can be downloaded again later.">
        <source></source>
        <translation>%1: así se liberan %2. Se pueden volver a descargar más tarde.</translation>
    </message>
    <message id="Remove">
        <source></source>
        <translation>Eliminar</translation>
    </message>
    <message id="Not removed">
        <source></source>
        <translation>No se eliminó</translation>
    </message>
    <message id="%1 stayed on this machine: %2.">
        <source></source>
        <translation>%1 siguen en este dispositivo: %2.</translation>
    </message>
    <message id="Story downloading!">
        <source></source>
        <translation>¡Descargando la historia!</translation>
    </message>
    <message id="Back">
        <source></source>
        <translation>Atrás</translation>
    </message>
    <message id="Chapters 13 to 16">
        <source></source>
        <translation>Capítulos 13 a 16</translation>
    </message>
    <message id="Chapter 13">
        <source></source>
        <translation>Capítulo 13</translation>
    </message>
    <message id="Chapter 14">
        <source></source>
        <translation>Capítulo 14</translation>
    </message>
    <message id="Chapter 15">
        <source></source>
        <translation>Capítulo 15</translation>
    </message>
    <message id="Chapter 16">
        <source></source>
        <translation>Capítulo 16</translation>
    </message>
    <message id="Follow Larkspire">
        <source></source>
        <translation>Sigue a Larkspire</translation>
    </message>
    <message id="A Larkspire Christmas">
        <source></source>
        <translation>Una Navidad con Larkspire</translation>
    </message>
    <message id="How the story's winter songs were written, drawn and sung.">
        <source></source>
        <translation>Cómo se escribieron, dibujaron y cantaron las canciones de invierno de la historia.</translation>
    </message>
    <message id="Play the Documentary">
        <source></source>
        <translation>Ver el documental</translation>
    </message>
    <message id="Filmed in the studio where the pictures of Larkspire are painted, with the singers and the band.">
        <source></source>
        <translation>Grabado en el estudio donde se pintan los dibujos de Larkspire, con los cantantes y la banda.</translation>
    </message>
    <message id="The Story, Part Four">
        <source></source>
        <translation>La historia, cuarta parte</translation>
    </message>
    <message id="Lots More">
        <source></source>
        <translation>Mucho más</translation>
    </message>
    <message id="Story Notes">
        <source></source>
        <translation>Notas de la historia</translation>
    </message>
    <message id="Part Four closes the tale begun in Part One: chapters 13 to 16 follow the crew home under the mended sky.">
        <source></source>
        <translation>La cuarta parte cierra el cuento que empezó en la primera parte: los capítulos 13 a 16 acompañan a la tripulación de vuelta a casa bajo el cielo remendado.</translation>
    </message>
    <message id="Every chapter is a song. The music screen holds all seven songs of this part.">
        <source></source>
        <translation>Cada capítulo es una canción. En la pantalla de música están las siete canciones de esta parte.</translation>
    </message>
    <message id="Credits">
        <source></source>
        <translation>Créditos</translation>
    </message>
    <message id="Story and songs: the Larkspire team">
        <source></source>
        <translation>Historia y canciones: el equipo de Larkspire</translation>
    </message>
    <message id="Pictures and animation: the Larkspire studio">
        <source></source>
        <translation>Dibujos y animación: el estudio de Larkspire</translation>
    </message>
    <message id="Voices: the Larkspire singers">
        <source></source>
        <translation>Voces: los cantantes de Larkspire</translation>
    </message>
    <message id="Thanks to every reader who came this far.">
        <source></source>
        <translation>Gracias a todos los lectores que han llegado hasta aquí.</translation>
    </message>
    <message id="Songs of the Story">
        <source></source>
        <translation>Canciones de la historia</translation>
    </message>
    <message id="Stop">
        <source></source>
        <translation>Detener</translation>
    </message>
    <message id="Downloads">
        <source></source>
        <translation>Descargas</translation>
    </message>
    <message id="Chapters and songs kept on this machine, to play without a network.">
        <source></source>
        <translation>Capítulos y canciones guardados en este dispositivo, para reproducirlos sin conexión.</translation>
    </message>
    <message id="Chapters 14 to 16">
        <source></source>
        <translation>Capítulos 14 a 16</translation>
    </message>
    <message id="chapters">
        <source></source>
        <translation>capítulos</translation>
    </message>
    <message id="The seven songs">
        <source></source>
        <translation>Las siete canciones</translation>
    </message>
    <message id="songs">
        <source></source>
        <translation>canciones</translation>
    </message>
    <message id="Download all">
        <source></source>
        <translation>Descargar todo</translation>
    </message>
    <message id="Captions on every video: Off">
        <source></source>
        <translation>Subtítulos en todos los vídeos: No</translation>
    </message>
    <message id="The End">
        <source></source>
        <translation>Fin</translation>
    </message>
    <message id="Thank you for reading Part Four. Swipe on for more.">
        <source></source>
        <translation>Gracias por leer la cuarta parte. Desliza para ver más.</translation>
    </message>
    <message id="Larkspire on Facebook">
        <source></source>
        <translation>Larkspire en Facebook</translation>
    </message>
    <message id="Our Homepage">
        <source></source>
        <translation>Nuestra web</translation>
    </message>
    <message id="Story Chapters">
        <source></source>
        <translation>Los capítulos</translation>
    </message>
    <message id="Christmas Documentary">
        <source></source>
        <translation>Documental de Navidad</translation>
    </message>
    <message id="Grown-ups">
        <source></source>
        <translation>Para padres</translation>
    </message>
    <message id="English">
        <source></source>
        <translation>Inglés</translation>
    </message>
    <message id="German">
        <source></source>
        <translation>Alemán</translation>
    </message>
    <message id="Spanish">
        <source></source>
        <translation>Español</translation>
    </message>
    <message id="French">
        <source></source>
        <translation>Francés</translation>
    </message>
    <message id="Arabic">
        <source></source>
        <translation>Árabe</translation>
    </message>
    <message id="Done">
        <source></source>
        <translation>Listo</translation>
    </message>
    <message id="Play">
        <source></source>
        <translation>Reproducir</translation>
    </message>
    <message id="Captions">
        <source></source>
        <translation>Subtítulos</translation>
    </message>
    <message id="Position">
        <source></source>
        <translation>Posición</translation>
    </message>
    <message id="Pause">
        <source></source>
        <translation>Pausa</translation>
    </message>
    <message id="On, %1">
        <source></source>
        <translation>Activados, %1</translation>
    </message>
    <message id="Close">
        <source></source>
        <translation>Cerrar</translation>
    </message>
    <message id="Enjoying the story? Rate it">
        <source></source>
        <translation>¿Te gusta la historia? Valórala</translation>
    </message>
    <message id="Playing now">
        <source></source>
        <translation>Sonando ahora</translation>
    </message>
    <message id="Download progress">
        <source></source>
        <translation>Progreso de la descarga</translation>
    </message>
    <message id="Larkspire">
        <source></source>
        <translation>Larkspire</translation>
    </message>
    <message id="Musical Story">
        <source></source>
        <translation>Cuento musical</translation>
    </message>
    <message id="Watch the chapter videos and sing along with the songs of the story">
        <source></source>
        <translation>Mira los vídeos de los capítulos y canta las canciones del cuento</translation>
    </message>
    <message id="Watch and sing along with an illustrated musical story">
        <source></source>
        <translation>Un cuento musical ilustrado para mirar y cantar</translation>
    </message>
    <message id="Language: %1">
        <source></source>
        <translation>Idioma: %1</translation>
    </message>
    <message id="as the desktop">
        <source></source>
        <translation>como el escritorio</translation>
    </message>
    <message id="Update packs automatically: %1">
        <source></source>
        <translation>Actualizar los paquetes automáticamente: %1</translation>
    </message>
    <message id="Checking the files…">
        <source></source>
        <translation>Comprobando los archivos…</translation>
    </message>
    <message id="On this machine: %1, every file checked">
        <source></source>
        <translation>En este dispositivo: %1, todos los archivos comprobados</translation>
    </message>
    <message id="Damaged, to download again: %1">
        <source></source>
        <translation>Dañado, hay que volver a descargar: %1</translation>
    </message>
    <message id="Edition %1: looking for a newer one…">
        <source></source>
        <translation>Edición %1: buscando una más reciente…</translation>
    </message>
    <message id="Edition %1, up to date">
        <source></source>
        <translation>Edición %1, al día</translation>
    </message>
    <message id="Edition %1 is available: %2 to download">
        <source></source>
        <translation>La edición %1 está disponible: %2 por descargar</translation>
    </message>
    <message id="Updating: %1%">
        <source></source>
        <translation>Actualizando: %1 %</translation>
    </message>
    <message id="Could not update: %1">
        <source></source>
        <translation>No se pudo actualizar: %1</translation>
    </message>
    <message id="Edition %1">
        <source></source>
        <translation>Edición %1</translation>
    </message>
    <message id="Update %1">
        <source></source>
        <translation>Actualizar %1</translation>
    </message>
    <message id="Update chapters">
        <source></source>
        <translation>Actualizar capítulos</translation>
    </message>
    <message id="Update songs">
        <source></source>
        <translation>Actualizar canciones</translation>
    </message>
    <message id="Check for updates">
        <source></source>
        <translation>Buscar actualizaciones</translation>
    </message>
    <message id="Check the files">
        <source></source>
        <translation>Comprobar los archivos</translation>
    </message>
    <message id="Update packs automatically: On">
        <source></source>
        <translation>Actualizar los paquetes automáticamente: Sí</translation>
    </message>
</context>
</TS>
