# FindJNI and FindJava take whatever JDK comes first, and on a machine with
# several JDKs that is not always 17.  Unless the caller chose one, point
# JAVA_HOME at a JDK 17 from the usual Debian and vendor locations.
if(NOT DEFINED JAVA_HOME AND DEFINED ENV{JAVA_HOME})
  set(JAVA_HOME "$ENV{JAVA_HOME}" CACHE PATH "JDK used for the Java class, the JNI headers and the Java tests")
elseif(NOT DEFINED JAVA_HOME)
  foreach(candidate
      /usr/lib/jvm/java-17-openjdk-amd64
      /usr/lib/jvm/java-17-openjdk-arm64
      /usr/lib/jvm/java-17-openjdk
      /usr/lib/jvm/java-17
      /usr/lib/jvm/temurin-17-jdk-amd64)
    if(EXISTS "${candidate}/bin/javac" AND EXISTS "${candidate}/include/jni.h")
      set(JAVA_HOME "${candidate}" CACHE PATH "JDK used for the Java class, the JNI headers and the Java tests")
      break()
    endif()
  endforeach()
endif()
if(DEFINED JAVA_HOME)
  # FindJava looks at the environment variable, FindJNI at the variable.
  set(ENV{JAVA_HOME} "${JAVA_HOME}")
  set(Java_JAVAC_EXECUTABLE "${JAVA_HOME}/bin/javac" CACHE FILEPATH "")
  set(Java_JAVA_EXECUTABLE "${JAVA_HOME}/bin/java" CACHE FILEPATH "")
  set(Java_JAR_EXECUTABLE "${JAVA_HOME}/bin/jar" CACHE FILEPATH "")
  set(Java_JAVADOC_EXECUTABLE "${JAVA_HOME}/bin/javadoc" CACHE FILEPATH "")
endif()
