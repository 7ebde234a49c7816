package stereo;

/**
 * One rectified colour frame from the stereo camera per call.
 *
 * <p>Each call of {@link #cppGrabImage} opens the camera, downloads its stereo
 * calibration, grabs one frame, rectifies the first camera's colour image and
 * closes everything again. Nothing is kept between calls. Calls from several
 * threads are taken one at a time.
 *
 * <h2>Result layout</h2>
 * The result is one flat {@code int[]} of {@code 3 * R * C} elements, three
 * planes of R rows and C columns one after another:
 * <pre>
 *   index = plane * R * C + row * C + column
 * </pre>
 * <table>
 *   <caption>Planes</caption>
 *   <tr><th>plane</th><th>mode 1 (RGB)</th><th>any other mode (HSV)</th></tr>
 *   <tr><td>0</td><td>red 0..255</td><td>hue 0..360 (360 is not folded to 0)</td></tr>
 *   <tr><td>1</td><td>green 0..255</td><td>saturation: 1 when the smallest channel is 0, else 0</td></tr>
 *   <tr><td>2</td><td>blue 0..255</td><td>value 0..255 (the largest channel)</td></tr>
 * </table>
 * R x C is fixed when the native library is built: 240 x 320 (variant A) or
 * 120 x 160 (variant B). Grey pixels give hue 0 and saturation 0.
 *
 * <h2>Failures end the process</h2>
 * When a camera or stereo step fails, the native library prints one line
 * {@code ERROR: <step>() reported <reason>.} on standard output and ends the
 * whole process with exit status 1: no exception is thrown and shutdown hooks
 * do not run. Only when the result itself cannot be allocated does the call
 * throw {@link OutOfMemoryError}.
 */
public class brimlet {
    static {
        System.loadLibrary("stereo_brimlet");
    }

    /**
     * Grabs, rectifies and converts one fresh frame.
     *
     * @param resolution read (its first two elements, if present) but without
     *     effect: the size is fixed by the build; may be null
     * @param snapshot when true, a variant A library also writes the rectified
     *     frame to {@code logging/pic0.ppm} under the current directory (the
     *     folder must exist; a failed write is silent); variant B ignores it
     * @param mode 1 for red, green and blue planes; any other value for hue,
     *     saturation and value planes
     * @return the three planes, {@code 3 * R * C} elements (see the class comment)
     */
    public native int[] cppGrabImage(int[] resolution, boolean snapshot, int mode);
}
