package stereo;

import static org.junit.jupiter.api.Assertions.assertEquals;

import java.io.BufferedInputStream;
import java.io.DataInputStream;
import java.io.IOException;
import java.io.InputStream;
import java.net.URISyntaxException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Map;
import java.util.concurrent.TimeUnit;

/** Shared helpers of the Java tests: the variant's size, plane access, PPM files and child JVMs. */
final class TestFrames {
    static final int RGB = 1;
    static final int HSV = 0;

    /** The variant under test, passed in by the test runner. */
    static final int ROWS = Integer.getInteger("brimlet.rows");
    static final int COLS = Integer.getInteger("brimlet.cols");
    static final boolean SNAPSHOT = Boolean.getBoolean("brimlet.snapshot");
    static final int PLANE = ROWS * COLS;

    static int at(int[] planes, int plane, int row, int col) {
        return planes[plane * PLANE + row * COLS + col];
    }

    /** The integer HSV the library documents, written independently for comparison. */
    static int[] hsv(int r, int g, int b) {
        if (r > g && r > b) {
            int d = g >= b ? r - b : r - g;
            int h = g >= b ? (g - b) * 60 / d : (g - b) * 60 / d + 360;
            return new int[] {h, d / r, r};
        }
        if (g > b) {
            int d = r > b ? g - b : g - r;
            return new int[] {(b - r) * 60 / d + 120, d / g, g};
        }
        int d = r > g ? b - g : b - r;
        if (d == 0) {
            return new int[] {0, 0, b};
        }
        return new int[] {(r - g) * 60 / d + 240, d / b, b};
    }

    /** A binary PPM as {width, height} and its red, green, blue bytes. */
    record Ppm(int width, int height, byte[] rgb) {
        int channel(int row, int col, int c) {
            return rgb[(row * width + col) * 3 + c] & 0xFF;
        }
    }

    static Ppm readPpm(Path file) throws IOException {
        byte[] bytes = Files.readAllBytes(file);
        int[] pos = {0};
        assertEquals("P6", token(bytes, pos));
        int width = Integer.parseInt(token(bytes, pos));
        int height = Integer.parseInt(token(bytes, pos));
        assertEquals("255", token(bytes, pos));
        int start = pos[0] + 1;
        assertEquals(start + width * height * 3, bytes.length, "pixel data size of " + file);
        byte[] rgb = new byte[width * height * 3];
        System.arraycopy(bytes, start, rgb, 0, rgb.length);
        return new Ppm(width, height, rgb);
    }

    private static String token(byte[] bytes, int[] pos) {
        while (Character.isWhitespace(bytes[pos[0]])) {
            pos[0]++;
        }
        int start = pos[0];
        while (!Character.isWhitespace(bytes[pos[0]])) {
            pos[0]++;
        }
        return new String(bytes, start, pos[0] - start, StandardCharsets.US_ASCII);
    }

    static void writePpm(Path file, int width, int height, byte[] rgb) throws IOException {
        byte[] header = ("P6\n" + width + " " + height + "\n255\n").getBytes(StandardCharsets.US_ASCII);
        byte[] all = new byte[header.length + rgb.length];
        System.arraycopy(header, 0, all, 0, header.length);
        System.arraycopy(rgb, 0, all, header.length, rgb.length);
        Files.write(file, all);
    }

    /** What a child JVM running {@link ChildGrab} printed, how it ended, and the arrays it returned. */
    record Child(int exitCode, String out, String err, List<int[]> arrays) {}

    static Child runChild(Path workDir, Map<String, String> env, boolean snapshot, int... modes)
            throws IOException, InterruptedException, URISyntaxException {
        Path arrays = Files.createTempFile("brimlet-child", ".bin");
        List<String> args = new ArrayList<>(List.of(arrays.toString(), Boolean.toString(snapshot)));
        for (int mode : modes) {
            args.add(Integer.toString(mode));
        }
        Jvm jvm = runJvm(workDir, env, List.of(), ChildGrab.class, args);
        List<int[]> returned = new ArrayList<>();
        try (DataInputStream in = new DataInputStream(new BufferedInputStream(Files.newInputStream(arrays)))) {
            while (in.available() > 0) {
                int[] planes = new int[in.readInt()];
                for (int i = 0; i < planes.length; i++) {
                    planes[i] = in.readInt();
                }
                returned.add(planes);
            }
        }
        Files.delete(arrays);
        return new Child(jvm.exitCode(), jvm.out(), jvm.err(), returned);
    }

    /** How a child JVM ended and what it printed. */
    record Jvm(int exitCode, String out, String err) {}

    /**
     * Runs mainClass in a child JVM checked like this one (-Xcheck:jni, the
     * same native library), in workDir, with no SIMCAM_* variables but env's.
     */
    static Jvm runJvm(Path workDir, Map<String, String> env, List<String> jvmOptions, Class<?> mainClass,
            List<String> args) throws IOException, InterruptedException, URISyntaxException {
        List<String> command = new ArrayList<>(List.of(
                Path.of(System.getProperty("java.home"), "bin", "java").toString(),
                "-Xcheck:jni", "-XX:+DisplayVMOutputToStderr", "-XX:-CreateCoredumpOnCrash"));
        command.addAll(jvmOptions);
        command.addAll(List.of("-Djava.library.path=" + System.getProperty("java.library.path"),
                "-cp", location(brimlet.class) + java.io.File.pathSeparator + location(mainClass),
                mainClass.getName()));
        command.addAll(args);
        ProcessBuilder builder = new ProcessBuilder(command).directory(workDir.toFile());
        builder.environment().keySet().removeIf(name -> name.startsWith("SIMCAM_"));
        builder.environment().putAll(env);
        Path err = Files.createTempFile("brimlet-child", ".err");
        builder.redirectError(err.toFile());
        Process process = builder.start();
        byte[] out;
        try (InputStream stdout = process.getInputStream()) {
            out = stdout.readAllBytes();
        }
        if (!process.waitFor(120, TimeUnit.SECONDS)) {
            process.destroyForcibly();
            throw new AssertionError("child JVM did not finish");
        }
        String errText = Files.readString(err);
        Files.delete(err);
        return new Jvm(process.exitValue(), new String(out, StandardCharsets.UTF_8), errText);
    }

    private static String location(Class<?> type) throws URISyntaxException {
        return Path.of(type.getProtectionDomain().getCodeSource().getLocation().toURI()).toString();
    }

    private TestFrames() {}
}
