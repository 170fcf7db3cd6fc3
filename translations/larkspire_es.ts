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
        <translation>Activado</translation>
    </message>
    <message id="Off">
        <source></source>
        <translation>Desactivado</translation>
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
        <translation>Volver a descargar %1</translation>
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
        <translation>La cuarta parte cierra la historia que empezó en la primera parte: los capítulos 13 a 16 acompañan a la tripulación de vuelta a casa bajo el cielo remendado.</translation>
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
        <translation>Subtítulos en todos los vídeos: Desactivado</translation>
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
        <translation>Activado, %1</translation>
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
        <translation>Historia con canciones</translation>
    </message>
    <message id="Watch the chapter videos and sing along with the songs of the story">
        <source></source>
        <translation>Ver los vídeos de los capítulos y cantar las canciones de la historia</translation>
    </message>
    <message id="Watch and sing along with an illustrated musical story">
        <source></source>
        <translation>Una historia ilustrada con canciones para ver y cantar</translation>
    </message>
    <message id="Language: %1">
        <source></source>
        <translation>Idioma: %1</translation>
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
        <translation>Actualizar los paquetes automáticamente: Activado</translation>
    </message>
    <message id="Small">
        <source></source>
        <translation>Pequeño</translation>
    </message>
    <message id="Large">
        <source></source>
        <translation>Grande</translation>
    </message>
    <message id="Largest">
        <source></source>
        <translation>Muy grande</translation>
    </message>
    <message id="Medium">
        <source></source>
        <translation>Mediano</translation>
    </message>
    <message id="Solid box">
        <source></source>
        <translation>Recuadro opaco</translation>
    </message>
    <message id="No box, outlined letters">
        <source></source>
        <translation>Sin recuadro, letras con contorno</translation>
    </message>
    <message id="Translucent box">
        <source></source>
        <translation>Recuadro translúcido</translation>
    </message>
    <message id="Top of the picture">
        <source></source>
        <translation>Parte superior de la imagen</translation>
    </message>
    <message id="Bottom of the picture">
        <source></source>
        <translation>Parte inferior de la imagen</translation>
    </message>
    <message id="Captions will look like this.">
        <source></source>
        <translation>Así se verán los subtítulos.</translation>
    </message>
    <message id="Size: %1">
        <source></source>
        <translation>Tamaño: %1</translation>
    </message>
    <message id="Background: %1">
        <source></source>
        <translation>Fondo: %1</translation>
    </message>
    <message id="Position: %1">
        <source></source>
        <translation>Posición: %1</translation>
    </message>
    <message id="The server could not be reached">
        <source></source>
        <translation>No se pudo conectar con el servidor</translation>
    </message>
    <message id="The connection was interrupted">
        <source></source>
        <translation>Se interrumpió la conexión</translation>
    </message>
    <message id="The connection is too slow">
        <source></source>
        <translation>La conexión es demasiado lenta</translation>
    </message>
    <message id="The connection to the server is not secure">
        <source></source>
        <translation>La conexión con el servidor no es segura</translation>
    </message>
    <message id="This server does not have these files">
        <source></source>
        <translation>Este servidor no tiene estos archivos</translation>
    </message>
    <message id="The server refused the download">
        <source></source>
        <translation>El servidor rechazó la descarga</translation>
    </message>
    <message id="A downloaded file was damaged">
        <source></source>
        <translation>Un archivo descargado estaba dañado</translation>
    </message>
    <message id="Not signed by a publisher this machine trusts">
        <source></source>
        <translation>No está firmado por un editor en el que confíe este dispositivo</translation>
    </message>
    <message id="Not enough space on this disk">
        <source></source>
        <translation>No hay espacio suficiente en este disco</translation>
    </message>
    <message id="This disk could not be written to">
        <source></source>
        <translation>No se pudo escribir en este disco</translation>
    </message>
    <message id="It is not on this machine">
        <source></source>
        <translation>No está en este dispositivo</translation>
    </message>
    <message id="It is still downloading">
        <source></source>
        <translation>Todavía se está descargando</translation>
    </message>
    <message id="Something from it is playing">
        <source></source>
        <translation>Se está reproduciendo algo de este contenido</translation>
    </message>
    <message id="Something went wrong">
        <source></source>
        <translation>Algo salió mal</translation>
    </message>
    <message id="as the system">
        <source></source>
        <translation>el del sistema</translation>
    </message>
    <message id="story;children;songs;music;video;">
        <source></source>
        <translation>historia;niños;canciones;música;vídeo;</translation>
    </message>
    <message id="The fourth part of an illustrated musical story, told in chapter videos and songs. Children watch the chapters, listen to the seven songs of this part and read the story notes; more chapters and the songs download when first needed.">
        <source></source>
        <translation>La cuarta parte de una historia ilustrada con música, contada en vídeos de capítulos y en canciones. Los niños ven los capítulos, escuchan las siete canciones de esta parte y leen las notas de la historia; los demás capítulos y las canciones se descargan la primera vez que hacen falta.</translation>
    </message>
    <message id="Every link out of the application waits behind a question only a grown-up can answer. It works with a mouse, a keyboard, a touch screen or a screen reader.">
        <source></source>
        <translation>Cada enlace que sale de la aplicación espera detrás de una pregunta que solo un adulto puede responder. Funciona con ratón, teclado, pantalla táctil o lector de pantalla.</translation>
    </message>
    <message id="The chapters of the story">
        <source></source>
        <translation>Los capítulos de la historia</translation>
    </message>
    <message id="A chapter playing">
        <source></source>
        <translation>Un capítulo en reproducción</translation>
    </message>
    <message id="The question for grown-ups before a link opens">
        <source></source>
        <translation>La pregunta para adultos antes de abrir un enlace</translation>
    </message>
    <message id="A song playing">
        <source></source>
        <translation>Una canción en reproducción</translation>
    </message>
    <message id="The first release: four chapters, seven songs, on-demand downloads, keyboard, touch and screen reader support.">
        <source></source>
        <translation>La primera versión: cuatro capítulos, siete canciones, descargas cuando hacen falta y uso con teclado, pantalla táctil y lector de pantalla.</translation>
    </message>
    <message id="Caption style">
        <source></source>
        <translation>Estilo de los subtítulos</translation>
    </message>
    <message id="Size: Medium">
        <source></source>
        <translation>Tamaño: Mediano</translation>
    </message>
    <message id="Background: Translucent box">
        <source></source>
        <translation>Fondo: Recuadro translúcido</translation>
    </message>
    <message id="Position: Bottom of the picture">
        <source></source>
        <translation>Posición: Parte inferior de la imagen</translation>
    </message>
    <message id="Every video's captions take this look, in every language.">
        <source></source>
        <translation>Los subtítulos de todos los vídeos tendrán este aspecto, en todos los idiomas.</translation>
    </message>
</context>
</TS>
